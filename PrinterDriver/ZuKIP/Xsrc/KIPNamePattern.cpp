#include "KIPNamePattern.h"

#include "KIPModelSettings.h"


namespace {
AString decimal(int number) {
    AString text;
    text.Format("%d", number);
    return text;
}

// Entry n of names, or n in decimal; compared unsigned so -1 never indexes.
AString numberName(const AStringArray& names, int number) {
    if (static_cast<unsigned>(number) < static_cast<unsigned>(names.GetSize())) return names[number];
    return decimal(number);
}

AString colorIdOf(const KIPModelSettings& settings, const AString& colorName) {
    const auto it = settings.colorNames.find(colorName);
    return it != settings.colorNames.end() && !it->second.IsEmpty() ? it->second : colorName;
}
}  // namespace

KIPTemplateText KIPNamePattern::ExpandNamePattern(const KIPModelSettings& settings, const AString& pattern,
                                                  const AString& fileName, const AString& colorName, int page,
                                                  int tileID, int stripID) {
    // Each token is looked for in the pattern's own text only: a file or
    // colour name that holds "pageID" or "uniqID" keeps it as it stands.
    KIPTemplateText name(pattern);
    name.ReplaceFirst("filename", fileName.str());
    name.ReplaceFirst("pageID", decimal(page).str());
    name.ReplaceFirst("tileID", numberName(settings.tileNames, tileID).str());
    name.ReplaceFirst("stripID", numberName(settings.stripNames, stripID).str());
    name.ReplaceFirst("colorID", colorIdOf(settings, colorName).str());
    return name;
}

AString KIPNamePattern::MakeBaseName(const AString& documentName) {
    AString name = documentName;
    const int colon = name.Find(':');
    if (colon >= 0) name = name.Mid(colon + 1);

    // Each round removes at least two characters, so the loops end.
    for (int open = name.Find('('); open >= 0; open = name.Find('(')) {
        const int close = name.Find(')');
        if (close < open) break;
        name = name.Left(open) + name.Mid(close + 1);
    }
    const int extension = name.ReverseFind('.');
    if (extension >= 0) name = name.Left(extension);
    for (int dot = name.Find('.'); dot >= 0; dot = name.Find('.')) {
        const int comma = name.Find(',');
        if (comma < dot) break;
        name = name.Left(dot) + "_" + name.Mid(comma + 1);
    }

    AString result;
    for (const char c : name.str())
        if (c != ' ') result += c;
    return result;
}

AString KIPNamePattern::FileNamePart(const AString& path) {
    int start = path.GetLength();
    while (start > 0 && path.GetAt(start - 1) != '\\' && path.GetAt(start - 1) != '/') --start;
    return path.Mid(start);
}

AString KIPNamePattern::JobNameStem(const AString& jobName) {
    const AString name = FileNamePart(jobName);
    const int extension = name.ReverseFind('.');
    return extension >= 0 ? name.Left(extension) : name;
}

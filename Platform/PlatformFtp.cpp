// FTP over libcurl. One easy handle is the session: it keeps the logged-in
// control connection between calls, so a login, an upload and a download
// after it use one connection as the framework's FTP connection does.
#include "PlatformFtp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>

namespace {
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kResponseTimeoutSeconds = 60;
// A transfer slower than one byte per second for a minute has stalled.
constexpr long kStallSeconds = 60;

CURL* handleOf(void* curl) { return static_cast<CURL*>(curl); }

// Host names and IPv4 addresses only: anything else would change the URL's meaning.
bool isPlainHost(const std::string& address) {
    if (address.empty()) return false;
    return std::all_of(address.begin(), address.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    });
}

std::string percentEncoded(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

size_t readCallback(char* buffer, size_t size, size_t count, void* user) {
    return (*static_cast<const PlatformFtp::Reader*>(user))(reinterpret_cast<uint8_t*>(buffer), size * count);
}

struct DownloadSink {
    std::vector<uint8_t>* data;
    size_t limit;
};

size_t writeCallback(char* buffer, size_t size, size_t count, void* user) {
    auto* sink = static_cast<DownloadSink*>(user);
    const size_t bytes = size * count;
    // Bytes past the size the server announced are read but not kept.
    const size_t room = sink->limit - std::min(sink->limit, sink->data->size());
    const size_t kept = std::min(room, bytes);
    sink->data->insert(sink->data->end(), buffer, buffer + kept);
    return bytes;
}
}  // namespace

PlatformFtp::PlatformFtp(const FtpAccount& account, bool passive) {
    if (!isPlainHost(account.address)) throw FtpError("FTP: \"" + account.address + "\" is not a server address", 0);
    CURL* curl = curl_easy_init();
    if (!curl) throw FtpError("FTP: cannot open an internet session", CURLE_FAILED_INIT);
    curl_ = curl;
    base_ = "ftp://" + account.address + ":" + std::to_string(account.port) + "/";
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText_);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, account.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.c_str());
    // Names are given to the server whole, never split into folder changes.
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    // Active mode: the server connects back to the address of the control connection.
    curl_easy_setopt(curl, CURLOPT_FTPPORT, passive ? nullptr : "-");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    // The login alone: the server's root is asked for without listing it.
    curl_easy_setopt(curl, CURLOPT_URL, base_.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    try {
        perform("connect");
    } catch (...) {
        curl_easy_cleanup(curl);
        curl_ = nullptr;
        throw;
    }
}

PlatformFtp::~PlatformFtp() {
    if (curl_) curl_easy_cleanup(handleOf(curl_));
}

std::string PlatformFtp::urlOf(const std::string& remoteName) const { return base_ + percentEncoded(remoteName); }

void PlatformFtp::perform(const char* what) {
    errorText_[0] = '\0';
    const CURLcode result = curl_easy_perform(handleOf(curl_));
    if (result == CURLE_OK) return;
    long response = 0;
    curl_easy_getinfo(handleOf(curl_), CURLINFO_RESPONSE_CODE, &response);
    std::string text = std::string("FTP ") + what + " failed: " + curl_easy_strerror(result);
    if (errorText_[0]) text += std::string(" (") + errorText_ + ")";
    if (response) text += ", server reply " + std::to_string(response);
    throw FtpError(text, result);
}

void PlatformFtp::Upload(const std::string& remoteName, const Reader& reader) {
    CURL* curl = handleOf(curl_);
    const std::string url = urlOf(remoteName);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readCallback);
    curl_easy_setopt(curl, CURLOPT_READDATA, &reader);
    perform("upload");
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
}

bool PlatformFtp::Download(const std::string& remoteName, size_t maxBytes, std::vector<uint8_t>& data,
                           int64_t& length) {
    CURL* curl = handleOf(curl_);
    const std::string url = urlOf(remoteName);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    // First the size alone: it sizes the buffer, and a file the server lacks ends here.
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    try {
        perform("size request");
    } catch (const FtpError& e) {
        if (e.code() == CURLE_REMOTE_FILE_NOT_FOUND) return false;
        throw;
    }
    curl_off_t size = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    if (size < 0) size = 0;
    if (static_cast<uint64_t>(size) > maxBytes)
        throw FtpError("FTP: " + remoteName + " holds " + std::to_string(size) + " bytes, more than the " +
                           std::to_string(maxBytes) + " accepted",
                       0);
    length = size;
    data.clear();
    data.reserve(static_cast<size_t>(size) + 1);
    DownloadSink sink{&data, static_cast<size_t>(size)};
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    perform("download");
    return true;
}

#pragma once
// Builds JSON text for the --json output of query and print: objects,
// arrays, strings escaped as RFC 8259 asks, numbers and booleans, with the
// commas placed by the writer.
#include <string>
#include <vector>

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next member of the open object.
    JsonWriter& key(const std::string& name);
    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(double number);   // non-finite numbers become null
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(bool flag);
    // The text written so far, with a final newline.
    std::string text() const { return out_ + "\n"; }

private:
    void separate();
    void open(char bracket);
    void close(char bracket);

    std::string out_;
    std::vector<bool> first_;   // one entry per open object or array: nothing written in it yet
    bool afterKey_ = false;
};

#pragma once
// An FTP client session standing in for the window framework's internet
// session, FTP connection and remote file: log in once, then send or fetch
// files in binary. Remote names go to the server exactly as given,
// backslashes included. Failures raise FtpError, whose text is the report
// shown to the user.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class FtpError : public std::runtime_error {
public:
    FtpError(const std::string& text, int code) : std::runtime_error(text), code_(code) {}
    int code() const { return code_; }   // the client library's error number (0: our own check)

private:
    int code_;
};

struct FtpAccount {
    std::string address;    // host name or IPv4 address
    uint16_t port = 21;
    std::string user;
    std::string password;
};

class PlatformFtp {
public:
    // Hands out the next bytes to send into buffer (at most size); 0 at the end.
    using Reader = std::function<size_t(uint8_t* buffer, size_t size)>;

    // Connects to the server and logs in, the data connections to come in
    // passive mode or, when passive is false, in active mode; throws FtpError
    // when the server cannot be reached or refuses the login.
    PlatformFtp(const FtpAccount& account, bool passive);
    ~PlatformFtp();
    PlatformFtp(const PlatformFtp&) = delete;
    PlatformFtp& operator=(const PlatformFtp&) = delete;

    // Creates or replaces remoteName and writes to it, in binary, what reader
    // hands out, one write per call; throws FtpError when the transfer fails.
    void Upload(const std::string& remoteName, const Reader& reader);
    // Reads remoteName in binary: length gets the size the server gives for
    // it, data at most that many bytes. false when the server has no such
    // file; throws FtpError when the file is larger than maxBytes or the
    // transfer fails.
    bool Download(const std::string& remoteName, size_t maxBytes, std::vector<uint8_t>& data, int64_t& length);

private:
    std::string urlOf(const std::string& remoteName) const;
    // Runs the transfer set up on the handle; throws FtpError with what went wrong.
    void perform(const char* what);

    void* curl_ = nullptr;
    std::string base_;   // "ftp://address:port/"
    char errorText_[256] = {};
};

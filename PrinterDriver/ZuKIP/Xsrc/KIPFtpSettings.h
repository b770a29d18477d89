#pragma once
// The printer's FTP settings, kept by the options dialog in
// "Temp/KIPFTPSettings.xml" under the host's base folder as attributes of the
// root element: "IP1" to "IP4", "Port", "User" and "Password". Delivery, the
// printer utilities and the dialog read them afresh each time.
#include "AString.h"
#include "Platform/PlatformFtp.h"

// The message shown when an FTP exchange with the printer has failed for good.
inline constexpr const char* kFtpFailure = "Exception open ftp";

// The settings file's values as texts, the address kept as its four numbers.
struct KIPFtpSettings {
    enum Source { kRead, kMissing, kUnreadable };
    static constexpr int kAddressFields = 4;

    // Reads the settings file. kRead: the values are the file's, with "127", "0", "0", "1" for an
    // empty "IP1", "21" for an empty port and "anonymous" for an empty user. kMissing: those defaults
    // and an empty password. kUnreadable (no root element either): the values are left as they were.
    Source Load();
    // Writes the values to the settings file, replacing it; false when it cannot be written.
    bool Save() const;
    // The four numbers joined by dots.
    AString Address() const;

    AString ip[kAddressFields];
    AString port;
    AString user;
    AString password;
};

// Reads the settings file (KIPFtpSettings::Load). 1 when it exists, could be
// read and has a root element: the outputs hold its values. 0 when it does not
// exist, with address, port and user set to their defaults (password
// unchanged); 0 with the outputs unchanged when it cannot be read.
int LoadFTPSettings(AString& address, AString& port, AString& user, AString& password);

// The FTP port a settings text names: its leading decimal number in 16 bits,
// the standard port 21 when that is 0 or the text holds no number.
uint16_t FtpPortNumber(const AString& port);

// The account to log in with for settings as LoadFTPSettings gives them.
FtpAccount MakeFtpAccount(const AString& address, const AString& port, const AString& user, const AString& password);

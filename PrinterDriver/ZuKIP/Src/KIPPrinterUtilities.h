#pragma once
// The KIP printer utilities behind the "Driver Options" dialog's buttons and
// zukip's printer commands: reading the printer's information file over FTP,
// starting KIP's command-line tool kawpdft, waking the printer up through it,
// and keeping the tool's path in the tool path file "Temp/KIP_kawpdft.xml"
// under the host's base folder.
#include "AString.h"

#include <cstdint>

class KIPPrinterUtilities {
public:
    // How a wake-up ended. The dialog shows nothing on any of them; zukip reports them.
    enum WakeResult { wakeSent, wakeNoTool, wakeToolNotStarted, wakeNoAddress };

    static constexpr uint32_t kToolWaitMs = 60000;
    static constexpr int kSuccessString = 2;   // "Media table from printer read successfully."

    // Fetches "\logdir\statinfo\IPSUnattend.Dat" from the printer of the saved
    // FTP settings into "OutputDrivers/KIP/KipUnattend.dat", in active mode and
    // after a failure once more in passive mode; logs and shows what happened,
    // and does nothing without settings. true when the success message was shown.
    static bool ReadMediaFromPrinter();
    // "OutputDrivers/KIP/KipUnattend.dat" under the host's base folder.
    static AString InformationFilePath();
    // The address file holds at most this many bytes of text that the driver reads.
    static constexpr int kAddressTextMax = 199;

    // Starts toolPath with the command line "\"toolPath\"" + args in the tool's own folder and
    // waits at most kToolWaitMs for it to end (then goes on without it); 1 when it could be
    // started, else 0. The tool's exit code is not read.
    static int RunTool(const AString& toolPath, const AString& args);

    // Has the tool write the MAC address of the printer at address (four numbers) into the
    // address file, then has it send the wake-up call to the text read back from that file
    // (an older file is used when the tool does not rewrite it). Shows no messages.
    static WakeResult WakeUpPrinter(const AString& toolPath, const uint8_t address[4]);

    // Writes the tool path file naming toolPath, replacing it; 1 when saved, else 0.
    static int SaveToolPath(const AString& toolPath);
    // The path kept in the tool path file; 0, with toolPath untouched, when there is none.
    static int LoadToolPath(AString& toolPath);

    // The arguments of the address request: printer address and address file.
    static AString AddressRequest(const uint8_t address[4], const AString& addressFile);
    // The arguments of the wake-up call for the address text as read from the address file.
    static AString WakeUpCall(const AString& macText);
    // "Temp/MACaddress.log" under the host's base folder.
    static AString AddressFilePath();
    // "Temp/KIP_kawpdft.xml" under the host's base folder.
    static AString ToolPathFilePath();
};

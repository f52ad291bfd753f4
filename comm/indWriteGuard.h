// Safe clone writes: the pieces the clone write uses around the transfer itself.
//
// Before a write the radio is read and what it held is kept as a clone file (the backup), so a
// write that leaves the radio unusable can be undone by writing the backup. After a write the
// written ranges are read back and compared with what was sent; a difference is a result of its
// own (CDRV_VerifyMismatch) that names the addresses. indCloneCommands runs the phases; this file
// holds what they need: the backup folder and file name, saving the backup, and the comparison.
#pragma once

#include "image/cmcEeprom.h"
#include "image/cmcQcfFile.h"

#include <string>
#include <vector>

namespace qx {

// The phases of a clone operation, as the cloning window and the command-line tool name them
// (lines of "GI_AppInd_ClonePhase").
enum indClonePhase : int {
    CPH_Read = 0,
    CPH_Backup = 1,
    CPH_GuardedWrite = 2,
    CPH_Verify = 3,
    CPH_Write = 4,  // a write without backup or verify
    CPH_Ident = 5,  // an identification
};
std::string indClonePhaseText(int phase);

class indWriteGuard {
public:
    // Addresses listed in a verify message before "and N more".
    static constexpr int kListedDifferences = 8;

    // $XDG_DATA_HOME/Vexa/QX-P2210/backups (~/.local/share without XDG_DATA_HOME).
    static std::string DefaultBackupDir();
    // "YYYY-MM-DD_HHMMSS_<serial>.QCF" (local time; "unknown" for an empty serial number).
    static std::string BackupFileName(const std::string& serial, long long secondsSinceEpoch);

    // Saves the image read from the radio (its EEPROM area, byte for byte) as a backup clone file
    // in `dir`, created when missing; a name already taken gets "-2", "-3", ... The path written,
    // or empty (with `error` set) on failure.
    static std::string SaveBackup(const cmcEeprom& image, const std::string& dir, const std::string& serial,
                                  std::string& error);

    // The ranges a backup keeps: every address of either list (ranges ended as range lists are),
    // as sorted ranges without overlaps, ended by {1, 0}. The backup thus holds what the radio
    // names as its memory and everything the write will replace.
    static std::vector<cmcRange> Union(const cmcRange* a, const cmcRange* b);

    // The first address of `wanted` that no range of `covered` holds (both ended as range lists
    // are), or -1 when every one is covered: a write whose addresses the radio's read range does
    // not cover cannot be backed up.
    static int FirstUncovered(const cmcRange* covered, const cmcRange* wanted);

    // The addresses of the ranges (ended as range lists are) where the two images differ. With a
    // received map (bit a & 7 of byte a >> 3 set for each address the read-back stored), an
    // address the radio did not send back counts as differing: what was written there is unchecked.
    static std::vector<int> Differences(const cmcEeprom& sent, const cmcEeprom& readBack, const cmcRange* ranges,
                                        const uint8_t* receivedMap = nullptr, int mapLength = 0);
    // The addresses as runs, "0x0120, 0x0200-0x020F", the first kListedDifferences runs, then
    // " and N more".
    static std::string DescribeAddresses(const std::vector<int>& addresses);
};

}  // namespace qx

// The list operations of record lists (memory channels of a bank, DTMF codes, scan lists, 2-tone
// and 5-tone codes, ID groups, call lists, status messages): Copy, Paste, Carry up, Carry down,
// Clear, Delete and Insert, the popup commands 75-81 of a row. They move whole records through the
// clipboard classes below; channels leave and join a bank through the bank bookkeeping events
// (EVC_ChannelLeavesBank, EVC_ChannelJoinsBank), whose receiver shifts every per-channel datum.
//
//     // the cell handler, for a popup command on a row, with the list bounds first..last:
//     cmcRunListCommand(env, CL_PMenu_Paste, req, record, first, last);
//
// Questions and error boxes go through the message seam with the texts of the environment's
// store, status texts out as EVC_StatusText through its event manager.
#pragma once

#include "image/datCh.h"

#include <cstdint>
#include <vector>

namespace qx {

struct cmcCellRequest;
struct cmcCellEnv;
class indMain;

// A clipboard of records of one kind.
class cmcClipCh {
public:
    virtual ~cmcClipCh() = default;

    // Empties the clipboard (kind 0, no records).
    virtual void Clear();
    // Replaces the contents with `count` records of `kind` from `first` on.
    virtual void Copy(uint8_t* image, int kind, int first, int count);
    // Decodes record `index` of `kind` into `record`.
    virtual void LoadOne(uint8_t* image, int kind, int index, datCh& record);
    // Whether it holds records of `kind`.
    virtual bool Has(int kind) const;
    // Stores records 0..min(count, held)-1 at first, first+1, ... when it holds records of `kind`.
    virtual void Paste(uint8_t* image, int kind, int first, int count);
    // Encodes `record` into the image as record `index` of `kind`.
    virtual void StoreOne(uint8_t* image, int kind, int index, datCh& record);

    int Kind() const { return kind_; }
    int First() const { return first_; }
    int Count() const { return static_cast<int>(records_.size()); }

protected:
    int kind_ = KIND_None;
    int first_ = 0;
    std::vector<datCh> records_;
};

// The clipboard the program uses: its store keeps the designation flags with the row a record
// lands on. During a paste run (Paste, Clear) the target keeps all of them (designated channel 1,
// 2, 3, designation 3 off, bank flag); otherwise (Carry) only designation 3 off and the bank flag,
// so that designations 1-3 move with their records.
class datClipCh : public cmcClipCh {
public:
    void StoreOne(uint8_t* image, int kind, int index, datCh& record) override;

    bool pasteRun = false;

private:
    datCh target_;
};

// The program-wide clipboard: one record kind at a time, alive for the whole run, kept across
// model changes and file loads.
datClipCh& ProgramClipboard();

// Whether n more memory channels fit into the packed channel area (the capacity rule): their 34-byte
// records below the end of packing zone 1, and the shared zone 2 space that also holds their
// 12-byte names.
bool ChannelsFit(const uint8_t* image, int n);

// Whether the banks have the one-bank layout: bank 0 holds all 64 channels, the others none. Its
// bank keeps its 64 rows: delete and insert shift channels within it.
bool OneBankLayout(const uint8_t* image);

// Runs popup command `command` (CL_PMenu_Copy .. CL_PMenu_Insert) on the environment's working
// image (nothing without an image model), on the rows of `req` (the selected block when selFlags
// bit 0 is set, else the record's row) within the list bounds first..last. Sets the selection to show (selFlags bit 1) and moves the cursor (index copy with the
// redirect flag); reloads `record` before returning. False when the command did nothing.
// Delete and Insert change the bank's size, except where the bank keeps its rows: in the one-bank
// layout, and on insert into a full channel memory when the bank's last row is not in use (that
// row goes, the rows from the position move down).
// Delete and Insert work in the bank the environment's sheet shows (shownBank), else the bank the
// shown sheet answers through the event manager, else the bank of the row.
bool cmcRunListCommand(const cmcCellEnv& env, int command, cmcCellRequest& req, datCh& record, int first, int last);

}  // namespace qx

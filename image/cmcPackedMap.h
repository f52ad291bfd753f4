// The packed memory map. The radio keeps most settings in a packed area of variable layout: blocks
// of equal-sized elements, one after another from address 376, found through a block directory.
// After every load the blocks are unpacked into the work area, where every table has a fixed
// address and capacity; before an image is stored or sent they are packed back. Normalisation
// resets, from the initial image, every field the program does not edit.
#pragma once

#include "image/cmcEeprom.h"
#include "image/cmcImageMap.h"

#include <cstdint>

namespace qx {

// One block of the block table.
struct cmcBlockDef {
    int id;
    int elemSize;      // bytes per element
    int capacity;      // elements the work-area table holds
    int home;          // work-area address (block 21: its EEPROM source address)
    uint8_t models;    // bit t set: packed for model type t
    uint8_t zone;      // 1 or 2
    uint8_t expand;    // how ExpandTemplate treats it (cmcPackedMap::Expand*)
    bool perChannel;   // counted by the channel total when packed (blocks 2, 22, 3)
};

class cmcPackedMap {
public:
    enum ExpandKind : uint8_t { ExpandNone = 0, ExpandElements = 1, ExpandTemplate = 2, ExpandSingle = 3 };

    // The block table, in packing order.
    static const cmcBlockDef* Blocks();
    static int BlockCount();
    static const cmcBlockDef* FindBlock(int id);
    // Whether the block is packed for the model type.
    static bool PackedFor(const cmcBlockDef& block, int modelType);

    // Copies the block directory named by the header at 288 into the work area (42177, 40 entries).
    // Returns the number of entries to search, or -1 when the header is not 0x00 0x01 (nothing is
    // copied then). An entry that does not lie wholly inside the EEPROM area is cleared, so that it
    // names no block.
    static int CopyDirectory(cmcEeprom& image);
    // The first of the first `entries` work-area directory entries naming `id`, or -1.
    static int FindEntry(const cmcEeprom& image, int entries, int id);

    // Unpacks every block the directory lists into its work-area table (after every load). The
    // base of the entry addresses is the 16-bit value at 276. Elements that would be read from
    // outside the EEPROM area are not copied; their slots keep their contents.
    static void Unpack(cmcEeprom& image);
    // Expands the initial image: its directory as for Unpack, then every block with the table's
    // own sizes and counts; template blocks fill every slot with their first element.
    static void Expand(cmcEeprom& initial);
    // Packs the work area into the EEPROM area for the model type. With `withParams` the parameter
    // block's 64 bytes go to 376, else 64 zero bytes. Returns true on overflow: the blocks already
    // written stay, and the fields of the steps that did not run keep their old values.
    static bool Pack(cmcEeprom& image, int modelType, bool withParams);
    // Builds the parameter block in the work area at 0x7D80 (512 bytes cleared, then 64 bytes
    // whose sum is 0 modulo 256).
    static void BuildParamBlock(cmcEeprom& image);

    // Whether a byte of the working image is kept by a save for the model type: a fixed field before
    // the packed area, or a work-area byte of a block packed for that model type. Work-area bytes
    // outside such blocks (and the packed area itself) are never stored in a clone file.
    static bool KeptFor(int address, int modelType);
    // The bits of a byte that normalisation puts back on every load and save for the model type
    // (taken from the initial image, recomputed or derived); 0 when the byte is the program's to edit.
    static uint8_t NormalisedBits(int address, int modelType);

    // Whether n more memory channels fit the packed area, judged by the zone ends at 272 and 274.
    static bool ChannelsFit(const cmcEeprom& image, int n);
    // The largest n from 64 - channel total downward that fits; 0 when none does.
    static int ChannelRoom(const cmcEeprom& image);

    // Resets, from the initial image, every field the program does not edit, and re-encodes every
    // record through the channel codec. Mode 0 (after a load) unpacks first; mode 1 packs without
    // the parameter block contents, mode 2 with them. The initial image is the expanded initial
    // image of the model type.
    // Returns true when the packing of mode 1 or 2 overflowed.
    static bool Normalise(cmcEeprom& image, const cmcEeprom& initial, int modelType, int mode);

    // The 64 constant bytes of the parameter block.
    static const uint8_t* ParamBlockConstant();
};

}  // namespace qx

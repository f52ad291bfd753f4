// The help context of a cell: which topic of the help file the help command opens for it.
// The help store (ZT5531KH.OVL) holds three tables of tab-separated lines, each ended by "#":
//     GI_AppItem_Topic_ID             cell label name  -> topic
//     GI_AppItem_Key_Assign_Topic_ID  key function text -> topic
//     GI_AppItem_Context_ID           topic            -> decimal help context number
#pragma once

#include "defs/cmcCellObj.h"
#include "defs/cmcFCache.h"
#include "image/cmcEeprom.h"

#include <string>

namespace qx {

// What a cell is looked up by: the text and whether the key-assignment table applies.
struct cmcHelpSearch {
    std::string text;
    bool keyAssign = false;
};

// The search of a cell. The key-assignment cells (CL_KDisp_Key_Conv/SmTr/Dig_RightUp ... _P3) search
// with the choice text of the key's current code, read from the image (0x8800-0x8817) and looked up
// in the model type's key list through `lists`; every other cell searches with its label's name.
cmcHelpSearch HelpSearchOf(const cmcCellObj& cell, const cmcEeprom& image, int modelType, cmcFCache& lists);

// The topic of a search ("" when no line matches): the first matching line of the topic table.
std::string HelpTopicOf(const cmcHelpSearch& search, cmcHelpGTex& store);
// The context number of a topic: the last matching line of the context table; 0 when none matches.
int HelpContextOfTopic(const std::string& topic, cmcHelpGTex& store);

// The whole lookup over the program's help store.
int HelpContextOf(const cmcCellObj& cell, const cmcEeprom& image, int modelType, cmcFCache& lists);

// The help store's table keys.
inline constexpr const char* kHelpTopicTable = "GI_AppItem_Topic_ID";
inline constexpr const char* kHelpKeyAssignTable = "GI_AppItem_Key_Assign_Topic_ID";
inline constexpr const char* kHelpContextTable = "GI_AppItem_Context_ID";

}  // namespace qx

// Bank and count cells: the bank layout, bank names and trunking flags, and the channel counts
// shown on the bank operation and memory channel sheets. The image holds five banks; bank b's
// channel count is the 16-bit value at 0x95CD + 2b, and its first channel is the sum of the counts
// of the banks before it (64 channels in all).
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "cells/cmcFieldCell.h"
#include "cells/cmcListOps.h"
#include "defs/cmcEvMan.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "common/cmcMessage.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <algorithm>
#include <cstring>

namespace qx {

namespace {

constexpr int kMaxChannels = map::kChannelCount;  // 64
constexpr int kBankNameLength = 8;
constexpr int kBankRenameLength = 26;              // the name block EVC_BankRename carries
constexpr uint32_t kPillarGrey = 0x00808080;       // RGB 128,128,128

bool BankValid(int bank) { return bank >= 0 && bank < map::kBankCount; }
// Any bank sizes other than the one bank of 64 channels are free bank sizes.
bool FreeBanks(const cmcCellCall& c) { return !OneBankLayout(c.image.Data()); }
int Total(const cmcCellCall& c) { return datChannelTotal(c.image.Data()); }


// The largest number of channels (at most 64 minus the total) that still fit.
int ChannelsLeft(const cmcCellCall& c) {
    for (int n = kMaxChannels - Total(c); n > 0; --n)
        if (ChannelsFit(c.image.Data(), n)) return n;
    return 0;
}

// ---- bank operation sheet ----

// The channels in use that a layout of `newTotal` channels would leave outside every bank.
int ChannelsDropped(const cmcCellCall& c, int newTotal) {
    int n = 0;
    for (int ch = newTotal; ch < Total(c) && ch < kMaxChannels; ++ch)
        if (datChannelInUse(c.image.Data(), ch)) ++n;
    return n;
}

// The bank layout: one bank of 64 channels (0) or free banks (1), which start as 4 and 4 channels.
// The cell names the layout the banks have: bank sizes other than 64, 0, 0, 0, 0 (say a file whose
// one bank holds fewer channels) are free bank sizes. Picking the layout in use changes nothing; a layout that leaves channels in use outside the
// banks (they would be gone once saved) asks first.
void SelBankFree(cmcCellCall& c) {
    const int current = FreeBanks(c) ? 1 : 0;
    int value = current;
    if (!ListChoice(c, "GI_Sheet_Sel_Bank_SelBankFree", Flex0, value) || value == current) return;
    const int newTotal = value == 1 ? 8 : kMaxChannels;
    if (const int dropped = ChannelsDropped(c, newTotal)) {
        std::string text = c.Texts().SectionText("GI_Mess_Confirm_BankLayout");
        for (int arg : {dropped, newTotal})
            if (size_t at = text.find("%d"); at != std::string::npos) text.replace(at, 2, std::to_string(arg));
        if (cmcShowMessage(c.Texts().FirstLine("GI_Sys_AppTitle"), text, cmcMsgIcon::Warning, MB_Ok | MB_Cancel) != MB_Ok) {
            c.Show(c.Lists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, current));
            return;
        }
    }
    uint8_t* image = c.Bytes();
    for (int b = 0; b < map::kBankCount; ++b) datSetBankSize(image, b, 0);
    if (value == 1) {
        datSetBankSize(image, 0, 4);
        datSetBankSize(image, 1, 4);
    } else {
        datSetBankSize(image, 0, kMaxChannels);
    }
    c.MarkWritten();
    c.Show(c.Lists().Text("GI_Sheet_Sel_Bank_SelBankFree", Flex0, value));
    c.Events().Send(EVC_TreeBuilt);
    c.notify |= CN_All;
}

void BankSmarTrunk(cmcCellCall& c) { c.Show("Non"); }

void BankUsedQty(cmcCellCall& c) {
    if (FreeBanks(c) && BankValid(c.Index()))
        c.ShowNumber(datBankInUse(c.image.Data(), c.Index()));
    else
        c.Show("---");
}

void BankUsedTotal(cmcCellCall& c) { c.ShowNumber(Total(c)); }
void BankUsedLeft(cmcCellCall& c) { c.ShowNumber(kMaxChannels - Total(c)); }

// ---- memory channel sheet ----

// The bank name, 8 characters, edited as text; an accepted name is also handed to the tree, which
// renames the bank's node. The index is the bank; bank operation cells (CT_BankOp) edit the name
// record the handler loaded, other sheets' cells load it here.
void BankText(cmcCellCall& c) {
    if (!BankValid(c.Index()) || (c.recordKind != KIND_None && c.recordKind != KIND_BankName)) {
        c.ShowNotApplicable();
        return;
    }
    datCh own(c.image.Data());
    if (c.recordKind != KIND_BankName) own.Load(KIND_BankName, c.Index());
    datCh& name = c.recordKind == KIND_BankName ? c.rec : own;
    if (!EditText(c, name.text, kBankNameLength)) return;
    if (&name == &c.rec) {
        c.StoreRecord();
    } else {
        name.Commit();
        c.MarkWritten();
    }
    char block[kBankRenameLength] = {};
    std::memcpy(block, name.text, kBankNameLength);
    c.Events().Post(EVC_BankRename, 0, c.Index(), block, sizeof block);
}

// The trunking flag of bank 0-4: bit (7 - bank) of 0x9593.
void MchSmarTrunk(cmcCellCall& c) {
    const int bank = c.Index();
    if (!BankValid(bank)) {
        c.Show("----");
        return;
    }
    const uint8_t bit = static_cast<uint8_t>(0x80 >> bank);
    const uint8_t byte = c.Byte(map::kBankFlags);
    int value = (byte & bit) ? 1 : 0;
    if (ListChoice(c, "GI_Sheet_Sel_Misc_OnOff2", Flex0, value)) {
        c.SetByte(map::kBankFlags, static_cast<uint8_t>(value & 1 ? (byte | bit) : (byte & ~bit)));
        c.Events().Post(EVC_BankIcons);
    }
}

void MchBank(cmcCellCall& c) { c.ShowNumber(datBankSize(c.image.Data(), c.Index())); }
void MchBankTotal(cmcCellCall& c) { c.ShowNumber(Total(c)); }
void MchBankLeft(cmcCellCall& c) { c.ShowNumber(ChannelsLeft(c)); }
void MchUsed(cmcCellCall& c) { c.ShowNumber(BankValid(c.Index()) ? datBankInUse(c.image.Data(), c.Index()) : 0); }
void MchUsedTotal(cmcCellCall& c) { c.ShowNumber(datBanksInUse(c.image.Data())); }
void MchUsedLeft(cmcCellCall& c) {
    c.ShowNumber(ChannelsLeft(c) + Total(c) - datBanksInUse(c.image.Data()));
}

// ---- numbering and decoration ----

void ChNo0(cmcCellCall& c) { c.ShowNumber(c.Index()); }
void ChNo1(cmcCellCall& c) { c.ShowNumber(c.Index() + 1L); }

// Fills the lowest three tenths of the cell with grey.
void QuarterPillar(cmcCellCall& c) {
    cmcCellPaint* p = c.req.paint;
    if (!p) return;
    const int height = p->bottom - p->top;
    p->fillSet = true;
    p->fillLeft = p->left;
    p->fillRight = p->right;
    p->fillBottom = p->bottom;
    p->fillTop = p->bottom - static_cast<int>(height * 3 / 10.0);
    p->fillColor = kPillarGrey;
}

}  // namespace

void RegisterBankCells(cmcCellTable& t) {
    t.Set(CL_Bank_SelBankFree, SelBankFree);
    t.Set(CL_Bank_SmarTrunk, BankSmarTrunk);
    t.Set(CL_Bank_UsedQty, BankUsedQty);
    t.Set(CL_Bank_UsedTotal, BankUsedTotal);
    t.Set(CL_Bank_UsedLeft, BankUsedLeft);
    t.Set(CL_Mch_BankText, BankText);
    t.Set(CL_Mch_SmarTrunk, MchSmarTrunk);
    t.Set(CL_Mch_Bank, MchBank);
    t.Set(CL_Mch_Bank_Total, MchBankTotal);
    t.Set(CL_Mch_Bank_Left, MchBankLeft);
    t.Set(CL_Mch_UsedCHs, MchUsed);
    t.Set(CL_Mch_UsedCHs_Total, MchUsedTotal);
    t.Set(CL_Mch_UsedCHs_Left, MchUsedLeft);
    t.Set(CL_Misc_ChNo_0Base, ChNo0);
    t.Set(CL_Misc_ChNo_1Base, ChNo1);
    t.Set(CL_Misc_QuarterPillar, QuarterPillar);
}

}  // namespace qx

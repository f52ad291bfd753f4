// Clone information cells: read-only views of the 80 bytes of identification data that the radio
// reported at the last clone read or write.
#include "cells/cmcCellTable.h"
#include "cells/cmcEditors.h"
#include "defs/cmcGTex.h"
#include "image/indMain.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace qx {

namespace {

// Offsets in the identification data.
constexpr int kComment1 = 2;
constexpr int kComment2 = 18;
constexpr int kCommentLength = 16;
constexpr int kRevision = 34;
constexpr int kOption1 = 49;
constexpr int kOption2 = 50;
constexpr int kOption3 = 51;
constexpr int kStatus = 53;
constexpr int kModelFlags = 54;
constexpr int kCheckSum = 62;
constexpr int kUnitRevision = 74;
constexpr int kUnitCode = 76;

const uint8_t* Ident(const cmcCellCall& c) { return c.main.Identification(); }

bool IsHexDigit(uint8_t ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

int HexValue(uint8_t ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return ch - 'a' + 10;
}

// Up to `count` hexadecimal characters read as a number, stopping at the first other character.
long ReadHex(const uint8_t* at, int count) {
    long value = 0;
    for (int i = 0; i < count && IsHexDigit(at[i]); ++i) value = value * 16 + HexValue(at[i]);
    return value;
}

// The model flags of the radio, tested by index as the image's model flags are: index k is bit
// (7 - k) of the byte (0 LMR, 1 PMR, 2 digital PMR, 5 dPMR446).
bool HasTypeLetter(const uint8_t* ident, int k) { return (ident[kModelFlags] >> (7 - k)) & 1; }

void Model(cmcCellCall& c) {
    const uint8_t* id = Ident(c);
    int n = 0;
    if (HasTypeLetter(id, 0))
        n = 0;
    else if (HasTypeLetter(id, 2) && HasTypeLetter(id, 1))
        n = 2;
    else if (HasTypeLetter(id, 1))
        n = 1;
    else if (HasTypeLetter(id, 5))
        n = 3;
    const int tenKey = (id[kOption2] >> 6) & 1;
    c.Show(c.Texts().Line("GI_AppInd_Model", n) + "\n" + c.Texts().Line("GI_Mess_CloneInfo_TenKey", tenKey));
}

void Revision(cmcCellCall& c) {
    const uint8_t r = Ident(c)[kRevision];
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%d", r >> 4, r & 0x0F);
    c.Show(buf);
}

// The comments are shown through the text editor with the action dropped: never edited.
void Comment(cmcCellCall& c) {
    uint8_t text[kCommentLength];
    std::memcpy(text, Ident(c) + (c.Label() == CL_CloneInfo_Comment1 ? kComment1 : kComment2), sizeof text);
    c.readOnly = true;
    cmcEditor(c).PlainText(text, kCommentLength);
}

void Option(cmcCellCall& c) {
    const uint8_t* id = Ident(c);
    const uint8_t o1 = id[kOption1], o2 = id[kOption2], o3 = id[kOption3];
    std::string text;
    auto add = [&text, &c](const char* key) { text += c.Texts().Line(key, 0) + "\n"; };
    if (o2 & 0x20) add(o2 & 0x10 ? "GI_Mess_CloneInfo_Opt_Kx6" : "GI_Mess_CloneInfo_Opt_Kx5");
    if ((o1 & 0x07) == 2) {
        if ((o2 & 0x03) == 1)
            add("GI_Mess_CloneInfo_Opt_Kx7");
        else if ((o2 & 0x03) == 2)
            add("GI_Mess_CloneInfo_Opt_Kx9");
        else
            add("GI_Mess_CloneInfo_Opt_Kx3");
    }
    if (o2 & 0x04) add("GI_Mess_CloneInfo_Opt_Kx2");
    if ((o1 & 0x07) == 1) add("GI_Mess_CloneInfo_Opt_Kx4");
    if (o2 & 0x08) add("GI_Mess_CloneInfo_Opt_Kx8");
    if (o3 & 0x40) add("GI_Mess_CloneInfo_Opt_Kx1");
    const int unit = (o3 >> 4) & 0x03;
    if (!(o3 & 0x01) && unit != 0 && unit != 3) {
        const uint8_t r = id[kUnitRevision];
        char buf[40];
        std::snprintf(buf, sizeof buf, "Rev:%d.%d:$%04lX\n", r >> 4, r & 0x0F, ReadHex(id + kUnitCode, 4));
        text += buf;
    }
    c.Show(text);
}

void OverVolt(cmcCellCall& c) {
    if (Ident(c)[kStatus] & 0x20) c.Show(c.Texts().Line("GI_Mess_CloneInfo_OverVolt", 0));
}

// The serial number; anything but hexadecimal characters shows a single space.
void Esn(cmcCellCall& c) {
    const std::string serial = c.main.SerialNumber();
    c.Show(serial.empty() ? " " : serial);
}

void CheckSum(cmcCellCall& c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%04lX", ReadHex(Ident(c) + kCheckSum, 4));
    c.Show(buf);
}

}  // namespace

void RegisterCloneInfoCells(cmcCellTable& t) {
    t.Set(CL_CloneInfo_Model, Model);
    t.Set(CL_CloneInfo_Revision, Revision);
    t.Set(CL_CloneInfo_Comment1, Comment);
    t.Set(CL_CloneInfo_Comment2, Comment);
    t.Set(CL_CloneInfo_Option, Option);
    t.Set(CL_CloneInfo_OverVolt, OverVolt);
    t.Set(CL_CloneInfo_Esn, Esn);
    t.Set(CL_CloneInfo_CheckSum, CheckSum);
}

}  // namespace qx

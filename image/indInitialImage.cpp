#include "image/indInitialImage.h"

#include "image/cmcImageMap.h"
#include "image/cmcPackedMap.h"
#include "image/cmcQcfWriter.h"
#include "image/datCh.h"
#include "image/indFileChecks.h"

#include <cstring>

namespace qx {

namespace {

using namespace map;

class Builder {
public:
    explicit Builder(cmcEeprom& image) : w_(image.Data()) {}
    void Byte(int address, int value) { w_[address] = uint8_t(value); }
    void Word(int address, int value) {
        w_[address] = uint8_t(value >> 8);
        w_[address + 1] = uint8_t(value);
    }
    void Fill(int address, int length, int value) { std::memset(w_ + address, value, static_cast<size_t>(length)); }
    // A space-padded text field.
    void Text(int address, const char* text, int length) {
        Fill(address, length, ' ');
        size_t n = std::strlen(text);
        std::memcpy(w_ + address, text, n < size_t(length) ? n : size_t(length));
    }
    uint8_t* Bytes() { return w_; }

private:
    uint8_t* w_;
};

// Blank texts: channel and list names, bank names, comments, opening text.
void BlankTexts(Builder& b, int modelType) {
    b.Text(kCloneComment1, "", 16);
    b.Text(kCloneComment2, "", 16);
    b.Text(kOpeningText, "", 8);
    for (int i = 0; i < 5; ++i) b.Text(38557 + 8 * i, "", 8);    // bank names
    for (int i = 0; i < 11; ++i) b.Text(38633 + 10 * i, "", 8);  // scan list names
    for (int i = 0; i < 8; ++i) b.Text(38743 + 21 * i, "", 8);   // DTMF names
    for (int i = 0; i < 32; ++i) {                               // 5-tone transmit names
        b.Text(38911 + 10 * i, "", 8);
        b.Byte(38911 + 10 * i + k5ToneTxBlankByte, 0x20);
    }
    for (int i = 0; i < 11; ++i) {                               // 5-tone and 2-tone receive codes
        const int r = 39231 + 18 * i;
        b.Fill(r, 4, 0xFF);                                      // no digits
        b.Text(r + 4, "", 8);
        b.Byte(r + k5ToneRxBlankByte, modelType == kModelPmr || modelType == kModelKorvPmr ? 0x20 : 0x00);
    }
}

void ChannelTemplate(Builder& b, int modelType) {
    // Every slot gets the blank record; the packer stores 64 of them and the template expansion
    // reads the first one back.
    uint8_t rec[kChannelSize] = {};
    rec[8] = 0x80;   // receive tone off
    rec[10] = 0x80;  // transmit tone off
    if (modelType == kModelDPmr446) {
        // Digital colour code 1 in both directions.
        const uint8_t cc1[4] = {0x00, 0x57, 0x75, 0x77};
        std::memcpy(rec + 12, cc1, 4);
        std::memcpy(rec + 16, cc1, 4);
    }
    std::memset(rec + 20, ' ', 8);
    rec[28] = 0x20 | 0x40;  // name blank, narrow
    rec[30] = 1;            // digital common identifier 1
    uint8_t ext[kExtensionSize] = {};
    ext[5] = 1;  // scrambler code 1
    for (int n = 0; n < kChannelCount; ++n) {
        std::memcpy(b.Bytes() + kChannels + kChannelSize * n, rec, kChannelSize);
        std::memcpy(b.Bytes() + kExtensions + kExtensionSize * n, ext, kExtensionSize);
    }
}

void SetModeItems(Builder& b) {
    b.Byte(0x0130, 0x84);  // beep on, beep level 4
    b.Byte(0x0131, 3);     // squelch level
    b.Byte(0x0133, 1);     // microphone gain
    b.Byte(0x0137, 4);     // ringer level
    b.Byte(0x013E, 0x01);  // backlight
    b.Byte(0x013F, 0x41);  // battery voltage display on, power save 1
}

void CommonSettings(Builder& b, int modelType) {
    static const int kModelFlag[] = {0x80, 0x40, 0x20, 0x04};
    b.Byte(kModelFlags, kModelFlag[modelType]);
    b.Word(kBankSizes, kChannelCount);  // one free bank of 64 positions
    b.Byte(kDesig1, 0xFF);              // no designated channels
    b.Byte(kDesig2, 0xFF);
    b.Byte(kDesig3, 0xFF);
    b.Word(0x9587, 8000);  // beep frequencies 800 Hz and 2000 Hz (stored x 10)
    b.Word(0x9589, 20000);
    b.Byte(0x95AE, 10);    // DTMF timers 0.10 s
    b.Byte(0x95AF, 10);
    b.Byte(0x95B0, 10);
    b.Byte(0x95B2, 20);    // scan stop 2.0 s, resume 3.0 s
    b.Byte(0x95B3, 30);
    b.Byte(0x95B9, 60);    // time-out timer 60 s
    b.Byte(0x95C5, 10);    // power save timers
    b.Byte(0x95C6, 5);
    b.Fill(kKeys, 24, ' ');  // no key functions assigned
    b.Word(0x9697, 1000);  // user CTCSS 100.0 Hz
}

void ToneTables(Builder& b, int modelType) {
    for (int i = 0; i < 9; ++i) {  // tone pairs: both off
        b.Byte(38597 + 4 * i, 0x80);
        b.Byte(38597 + 4 * i + 2, 0x80);
    }
    const bool lmrForm = modelType == kModelLmr || modelType == kModelDPmr446;
    b.Fill(34936, 128, 0xFF);  // 5-tone transmit codes: no digits
    if (lmrForm) {
        // 2-tone codes 1-10: both tones 1000.0 Hz, decode windows +-2 %, periods 1.0 s.
        for (int i = 1; i <= 10; ++i) {
            b.Word(34932 + 4 * i, 10000);
            b.Word(34932 + 4 * i + 2, 10000);
            b.Word(38421 + 8 * i, 9800);
            b.Word(38421 + 8 * i + 2, 10200);
            b.Word(38421 + 8 * i + 4, 9800);
            b.Word(38421 + 8 * i + 6, 10200);
            b.Byte(38527 + 2 * i, 10);
            b.Byte(38527 + 2 * i + 1, 10);
        }
        b.Byte(0x9680, 4);  // no-tone timer 0.04 s
    } else {
        // User tones: 1000.0 Hz, decode window -3 % .. +3 %.
        for (int i = 0; i < 15; ++i) {
            b.Word(38429 + 2 * i, 10000);
            b.Word(38459 + 4 * i, 9700);
            b.Word(38461 + 4 * i, 10300);
        }
        for (int row = 0; row < 9; ++row) {
            b.Byte(0x9677 + row, 100);  // tone period 0.100 s
            b.Byte(0x9680 + row, 4);    // no-tone timer 0.04 s
        }
    }
}

void KorvTables(Builder& b) {
    for (int i = 0; i < 32; ++i) {
        b.Fill(35064 + 4 * i, 4, 0xFF);  // call list addresses: none
        b.Text(39597 + 10 * i, "", 8);
    }
    for (int i = 0; i < 8; ++i) b.Text(35192 + 8 * i, "", 8);  // short texts
    for (int i = 0; i < 8; ++i) b.Text(39455 + 16 * i + 2, "", 8);  // ID group names
    // ID group 0 is the radio's own individual ID (0); groups 1-7 take group addresses 1000-1006.
    for (int i = 1; i < 8; ++i) b.Word(39455 + 16 * i, 1000 + i - 1);
    for (int i = 0; i < 24; ++i) {  // status messages
        b.Text(40245 + 12 * i, "", 8);
        b.Text(39957 + 12 * i, "", 8);
    }
    b.Word(kKorvAddress, 1000);  // group addresses from 1000
    b.Word(0x9AA3, 4095);        // killer address
    b.Byte(0x9BED, 3);           // timing: NA, NM, NR
    b.Byte(0x9BEE, 3);
    b.Byte(0x9BEF, 3);
    b.Byte(0x9BF0, 1);           // man-down recycle
    b.Byte(0x9BF1, 10);          // TAC 0.10 s
    b.Byte(0x9BF5, 10);
    b.Byte(0x9BF6, 10);
    b.Byte(0x9C0F, 2);           // position interval 1:00
}

void DPmr446Tables(Builder& b) {
    for (int i = 0; i < 32; ++i) {  // status messages
        b.Text(41189 + 20 * i, "", 16);
        b.Text(40549 + 20 * i, "", 16);
    }
    b.Word(0xA365, 500);  // check and free timers 0.500 s, TAC 0.200 s
    b.Word(0xA367, 500);
    b.Word(0xA369, 200);
    b.Byte(0xA36B, 10);
    b.Byte(0xA36D, uint8_t(-110));  // L0 level -110
    b.Byte(0xA36F, 2);
    b.Byte(0xA370, 1);
    static const char* const kMessages[13] = {"BUSY", "BREAK", "CALLING", "CANCEL", "COMPLETE", "CONNECT", "FAILED",
                                              "HI VOLT", "NO ANS", "STANDBY", "WAIT", "LOCK", "LOW BATT"};
    for (int i = 0; i < 13; ++i) b.Text(0xA379 + 8 * i, kMessages[i], 8);
    static const char* const kTitles[13] = {"LAMP", "BEEP", "BLVL", "SQL", "MIC", "BATT", "SMON",
                                            "RING", "RNG2", "RTIM", "RLVL", "CODE", "PSAV"};
    for (int i = 0; i < 13; ++i) b.Text(0xA3F9 + 8 * i, kTitles[i], 8);
    static const char* const kItems[9] = {"OFF", "ON", "AUT", "AU2", "COD", "NUM", "ANA", "DIG", "BTH"};
    for (int i = 0; i < 9; ++i) b.Text(0xA479 + 8 * i, kItems[i], 8);
}

}  // namespace

void indBuildInitialImage(int modelType, cmcEeprom& image) {
    if (modelType < 0 || modelType >= kModelTypeCount) modelType = kModelLmr;
    image.Resize(kImageSize);
    Builder b(image);

    b.Word(kModelId, kModelIdValue);
    b.Byte(kModelIdByte2, 1);
    std::memcpy(image.Data() + kSignature, kMakerSignature, 8);
    b.Byte(kMapRevision, kMapRevisionValue);
    b.Word(kModelCode, kModelCodeValue);
    SetModeItems(b);

    CommonSettings(b, modelType);
    ChannelTemplate(b, modelType);
    BlankTexts(b, modelType);
    ToneTables(b, modelType);
    b.Byte(kDataVersion, 1);
    if (modelType == kModelKorvPmr) KorvTables(b);
    if (modelType == kModelDPmr446) DPmr446Tables(b);

    // Normalised against itself, so that the derived flags agree with the tables, then packed
    // with the parameter block.
    const cmcEeprom self(image);
    cmcPackedMap::Normalise(image, self, modelType, 2);
}

std::string indInitialFileText(int modelType) {
    cmcEeprom image;
    indBuildInitialImage(modelType, image);
    cmcQcfWriter writer;
    std::string text;
    if (!writer.Format(image, indEepromAreaRanges(), text)) return {};
    return text;
}

}  // namespace qx

// Warning probe cells: a check-list line collects the warning and error marks of the cells it
// stands for by running them through the probe operations of the cell handler.
#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellTable.h"
#include "image/indMain.h"

namespace qx {

namespace {

// The channels of the bank in the request's row number, through the marks of their cells: on a
// digital PMR the monitor and channel mute settings that MSK signalling does not like warn, and
// the select, call and PTT settings it cannot use are errors; on every model a power level the
// "Power levels" setting does not offer and a scrambler "By key" without a scrambler key warn, and
// a tone the radio does not have or a dPMR446 fixed-bank frequency off its channels are errors.
void CheckChannels(cmcCellCall& c) {
    const int bank = c.req.rowNumber;
    if (bank < 0 || bank >= map::kBankCount) return;
    static constexpr int kWarningLabels[] = {CL_Mch_Moni, CL_Mch_CH_Mute, CL_Mch_RfPo, CL_Mch_Scrm_On};
    static constexpr int kErrorLabels[] = {CL_Mch_FreqR, CL_Mch_FreqT, CL_Mch_CTone_R, CL_Mch_CTone_T,
                                           CL_Mch_Sel,   CL_Mch_Call,  CL_Mch_PTT};
    cmcCellCapsule probe(c.env.On(c.main));
    const uint8_t* image = c.image.Data();
    const int first = datBankFirst(image, bank);
    const int end = first + datBankSize(image, bank);
    for (int ch = first; ch < end && ch < map::kChannelCount; ++ch) {
        for (int label : kErrorLabels)
            if (probe.ErrorOf(CT_Mch, label, ch)) c.Fail(ChannelReason(c.Texts(), ch, probe.ProbedReason()));
        for (int label : kWarningLabels)
            if (probe.WarningOf(CT_Mch, label, ch)) c.Warn(ChannelReason(c.Texts(), ch, probe.ProbedReason()));
    }
}

// The user tones whose decode window warns. Only PMR and the digital PMR have user tones: on LMR
// and dPMR446 the same bytes hold the 2-tone decode windows, which are no user tones to check.
void CheckUserTones(cmcCellCall& c) {
    if (c.modelType != kModelPmr && c.modelType != kModelKorvPmr) return;
    cmcCellCapsule probe(c.env.On(c.main));
    for (int row = 0; row <= 14; ++row)
        if (probe.WarningOf(CT_UserTone, CL_UTone_Dec_Low, row) || probe.WarningOf(CT_UserTone, CL_UTone_Dec_High, row))
            c.Warn(probe.ProbedReason());
}

void CheckIdRange(cmcCellCall& c) {
    cmcCellCapsule probe(c.env.On(c.main));
    if (c.IsKorv() && probe.ErrorOf(CT_MSK_AdrRange, CL_Msk_AdrRange_Killer, 0)) c.Fail(probe.ProbedReason());
}

void CheckOwnIdGroup(cmcCellCall& c) {
    if (!c.IsKorv()) return;
    cmcCellCapsule probe(c.env.On(c.main));
    for (int row = 0; row <= 7; ++row)
        if (probe.ErrorOf(CT_MSK_IdGroup, CL_Msk_IdGroup_Adr, row)) c.Fail(probe.ProbedReason());
}

void CheckConfig(cmcCellCall& c) {
    if (!c.IsKorv()) return;
    cmcCellCapsule probe(c.env.On(c.main));
    if (probe.ErrorOf(CT_MSK_Cfg, CL_Msk_Cfg_Status_FixBaseId, 0) || probe.ErrorOf(CT_MSK_Cfg, CL_Msk_Cfg_Gps_FixBaseId, 0))
        c.Fail(probe.ProbedReason());
}

}  // namespace

void RegisterProbeCells(cmcCellTable& t) {
    t.Set(CL_Check_Mch, CheckChannels);
    t.Set(CL_Check_User_Tone_Encode, CheckUserTones);
    t.Set(CL_Check_Msk_IdRange, CheckIdRange);
    t.Set(CL_Check_Msk_OwnIdGroup, CheckOwnIdGroup);
    t.Set(CL_Check_Msk_Config, CheckConfig);
}

}  // namespace qx

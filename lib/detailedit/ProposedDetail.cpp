#include "detailedit/ProposedDetail.h"

#include "detailedit/DetailSectionEdit.h"
#include "report/Big5.h"

namespace zarvo {

ProposalsAccepted acceptProposals(const std::vector<FieldProposal>& chosen, const std::vector<RowText>& blocks,
                                  const RowText& formRow, const FormProfile& profile) {
    ProposalsAccepted accepted{acceptProposalsStep(chosen, int(blocks.size())), {}};
    std::string fields;
    for (const FieldProposal& proposal : chosen)
        if (!proposal.rowBoxes.empty()) fields += (fields.empty() ? "" : " ") + proposal.name;
    if (fields.empty()) return accepted;

    std::vector<std::string> blockNames;
    for (const RowText& block : blocks)
        if (std::optional<std::string> big5 = utf8ToBig5(block.caption)) blockNames.push_back(*big5);
    for (const RowChange& change : accepted.step)
        if (std::optional<std::string> big5 = utf8ToBig5(change.after->caption)) blockNames.push_back(*big5);
    DetailFormTexts texts = detailFormTextsOf(profile, {});
    texts.fields = fields;
    const DetailEdit edit = detailProfileFrom(profile, texts, blockNames);
    if (!edit.profile) return ProposalsAccepted{{}, edit.error};
    accepted.step.push_back(
        RowChange{RowKind::Form, 0, formRow, RowText{formRow.caption, {formProfileText(*edit.profile)}}});
    return accepted;
}

}  // namespace zarvo

#pragma once
// Proposals accepted on the Layout page when some of them are columns of
// detail rows: their blocks, and the profile's [Detail] taking those
// columns as its fields, as the detail rows dialog would write it. No
// widgets.

#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "proposals/FieldProposals.h"
#include "report/FormProfile.h"

namespace zarvo {

struct ProposalsAccepted {
    EditStep step;      // empty when refused
    std::string error;  // why (UTF-8), when refused
};

// The step that appends chosen's blocks to blocks (UTF-8 names, as the
// list holds them) and, when chosen holds columns of detail rows, replaces
// formRow (the profile's text, holding profile) with one whose [Detail]
// fields are those columns' names and whose rows are those their numbered
// blocks give; the dialog's other keys stay. One undo step. Refused, with
// the dialog's reason, when that [Detail] cannot be written.
ProposalsAccepted acceptProposals(const std::vector<FieldProposal>& chosen, const std::vector<RowText>& blocks,
                                  const RowText& formRow, const FormProfile& profile);

}  // namespace zarvo

// Fills the organisation tree from the exam database.
#pragma once

#include "tree/org_tree.h"

namespace talven {

class HostConnection;

// Appends the whole hierarchy to the tree: the authority (from t_scbjg, or
// "00-Orvu" when it has no row of level 0), its provinces, their cities and
// the cities' test centres, each level in code order. A failure (a missing
// view, a lost connection) leaves the nodes added so far and reaches the
// caller.
void BuildOrgTree(OrgTree& tree, HostConnection* connection);

}  // namespace talven

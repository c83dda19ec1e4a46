// The organisation tree: the exam authority, its provinces, their cities and
// the cities' test centres, as the window's tree shows them. The node texts
// carry the codes that the room list queries with, so their form is fixed:
// "00-<name>", "<province code>-<name>", "<last 2 characters of the city
// code>-<name>", "<test-centre code>-<name>".
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

struct OrgNode {
  std::string text;  // GBK
  int level = 0;     // 0 authority, 1 province, 2 city, 3 test centre
  OrgNode* parent = nullptr;
  std::vector<std::unique_ptr<OrgNode>> children;

  // Pictures of ImageList1: level k shows 2k+1, selected 2k.
  int ImageIndex() const { return 2 * level + 1; }
  int SelectedIndex() const { return 2 * level; }
};

class OrgTree {
 public:
  // Adds a node below parent (nullptr: a root) and returns it.
  OrgNode* Add(OrgNode* parent, std::string text);
  const std::vector<std::unique_ptr<OrgNode>>& Roots() const { return roots_; }
  bool Empty() const { return roots_.empty(); }
  void Clear() { roots_.clear(); }
  // Every node in the order it was added (the root, the first province, its
  // first city, that city's centres, its next city …).
  std::vector<const OrgNode*> InTreeOrder() const;

 private:
  std::vector<std::unique_ptr<OrgNode>> roots_;
};

// The node that the start-up selects for the installation's own unit, or
// nullptr: level 0 the root; level 1 or 3 the first node of that level whose
// text begins with the code; level 2 the first city whose text begins with
// the code's last two characters under a province whose text begins with the
// code's first two; any other level nothing.
const OrgNode* SelectOrgNode(const OrgTree& tree, int level, std::string_view code);

}  // namespace talven

#include "tree/org_tree.h"

namespace talven {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

void Walk(const OrgNode& node, std::vector<const OrgNode*>& out) {
  out.push_back(&node);
  for (const auto& child : node.children) Walk(*child, out);
}

}  // namespace

OrgNode* OrgTree::Add(OrgNode* parent, std::string text) {
  auto node = std::make_unique<OrgNode>();
  node->text = std::move(text);
  node->parent = parent;
  node->level = parent ? parent->level + 1 : 0;
  OrgNode* raw = node.get();
  (parent ? parent->children : roots_).push_back(std::move(node));
  return raw;
}

std::vector<const OrgNode*> OrgTree::InTreeOrder() const {
  std::vector<const OrgNode*> out;
  for (const auto& root : roots_) Walk(*root, out);
  return out;
}

const OrgNode* SelectOrgNode(const OrgTree& tree, int level, std::string_view code) {
  if (level == 0) return tree.Empty() ? nullptr : tree.Roots().front().get();
  if (level != 1 && level != 2 && level != 3) return nullptr;
  for (const OrgNode* node : tree.InTreeOrder()) {
    if (node->level != level) continue;
    if (level != 2) {
      if (StartsWith(node->text, code)) return node;
      continue;
    }
    // A city node holds only the city's own two characters; its province
    // holds the first two.
    std::string_view own = code.size() >= 2 ? code.substr(code.size() - 2) : code;
    std::string_view province = code.substr(0, 2);
    if (node->text.substr(0, 2) == own && node->parent && node->parent->text.substr(0, 2) == province) return node;
  }
  return nullptr;
}

}  // namespace talven

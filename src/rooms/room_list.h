// The room list of the selected tree node: which query lists the rooms, with
// which code, and the texts the window shows for it.
#pragma once

#include <string>
#include <vector>

namespace talven {

class DataSet;
struct OrgNode;

// The command text of the room list for a tree level (0 to 3); levels 1 to 3
// take the parameter DM.
const std::string& RoomListQuery(int level);

// The code the room list is queried with for a selected node: "00" for the
// root, the province code, the 4-character city code (parent's first two
// characters and the node's own two), or the first codeLength characters of
// a test-centre node.
std::string SelectedCodeFor(const OrgNode& node, int codeLength);

// Closes the list, sets the command and parameter for the node and opens it.
// Failures (a missing view, a lost connection) reach the caller with the
// list closed.
void LoadRoomList(DataSet& list, int level, const std::string& code);

// "考场数：3/12": the current record number and the record count.
std::string RoomCountText(const DataSet& list);

// The columns of the room grid: field, width in pixels (0: the default) and
// title.
struct RoomColumn {
  std::string field;
  int width;
  std::string title;
};
const std::vector<RoomColumn>& RoomColumns();

// Fields the filter dialog does not offer ("mbh").
const std::string& FilterExcludedFields();

}  // namespace talven

#include "rooms/room_list.h"

#include <array>
#include <vector>

#include "base/convert.h"
#include "base/text.h"
#include "data/dataset.h"
#include "tree/org_tree.h"

namespace talven {

const std::string& RoomListQuery(int level) {
  static const std::array<std::string, 4> queries = {
      " select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm=b.dm2 ) a left join Tc_jbyy b on left(a.bskch,2)=b.jbyydm  order by kddm,bskch"_gbk,
      " select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm=b.dm2 where left(kddm,2)=:DM) a left join Tc_jbyy b on left(a.bskch,2)=b.jbyydm  order by kddm,bskch"_gbk,
      " select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm=b.dm2 where kddm in (select DM from v_kdjg where szds=:DM)) a left join Tc_jbyy b on left(a.bskch,2)=b.jbyydm  order by kddm,bskch"_gbk,
      " select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm=b.dm2 where kddm=:DM) a left join Tc_jbyy b on left(a.bskch,2)=b.jbyydm  order by bskch"_gbk,
  };
  return queries.at(static_cast<std::size_t>(level));
}

std::string SelectedCodeFor(const OrgNode& node, int codeLength) {
  switch (node.level) {
    case 0: return "00";
    case 1: return node.text.substr(0, 2);
    case 2: return (node.parent ? node.parent->text.substr(0, 2) : std::string()) + node.text.substr(0, 2);
    default: return node.text.substr(0, static_cast<std::size_t>(codeLength > 0 ? codeLength : 0));
  }
}

void LoadRoomList(DataSet& list, int level, const std::string& code) {
  list.Close();
  list.SetCommandText(RoomListQuery(level));
  if (level > 0) list.SetParam("DM", code);
  list.Open();
}

std::string RoomCountText(const DataSet& list) {
  return "考场数："_gbk + IntToStr(list.RecNo()) + "/" + IntToStr(list.RecordCount());
}

const std::vector<RoomColumn>& RoomColumns() {
  static const std::vector<RoomColumn> columns = {
      {"考点代码"_gbk, 53, "考点代码"_gbk},     {"考点名称"_gbk, 95, "考点名称"_gbk},
      {"笔试考场号"_gbk, 70, "笔试考场号"_gbk}, {"考生人数"_gbk, 0, "考生人数"_gbk},
      {"级别语言"_gbk, 125, "语言级别"_gbk},
  };
  return columns;
}

const std::string& FilterExcludedFields() {
  static const std::string fields = "mbh";
  return fields;
}

}  // namespace talven

// The module's SQL texts exactly as it issues them (settings, schema probe,
// organisation tree, room list, candidate and merged-room queries), for the
// tests and benchmarks of the data layer. GBK.
#pragma once

#include <string>

#include "base/text.h"

namespace talven::test {

inline const std::string kSettingsQuery = "select * from t_setting";
inline const std::string kPhotoRuleQuery = "select paramvalue from t_setting where  upper(paramname)='BSKCQD'";
inline const std::string kVersionQuery = "select dbversion from t_version";
inline const std::string kTreeRootQuery = "select dwmc from t_scbjg where jb=0 ";
inline const std::string kProvincesQuery = "select dm,dwmc from v_ssjg order by dm";
inline const std::string kCitiesQuery = "select dm,dwmc from v_dsjg where dm like :dm order by dm";
inline const std::string kCentresQuery = "select dm,dwmc from v_kdjg where szds=:dsdm order by dm";

// The room list of a tree level (0 to 3).
inline const std::string& RoomListQuery(int level) {
  static const std::string head =
      " select a.kddm 考点代码,a.dwmc 考点名称,a.bskch 笔试考场号,a.ksrs 考生人数,a.mbh,b.jbyy 级别语言 from (select a.*,b.dwmc from v_bskc a left join t_scbjg b on a.kddm=b.dm2 "_gbk;
  static const std::string tail = ") a left join Tc_jbyy b on left(a.bskch,2)=b.jbyydm  order by ";
  static const std::string texts[4] = {
      head + tail + "kddm,bskch",
      head + "where left(kddm,2)=:DM" + tail + "kddm,bskch",
      head + "where kddm in (select DM from v_kdjg where szds=:DM)" + tail + "kddm,bskch",
      head + "where kddm=:DM" + tail + "bskch",
  };
  return texts[level];
}

inline const std::string kCandidateQuery =
    "select * from (select kd,zkzh,bmh,xm,sfzh,jbyydm,kch,wzh,jbyy,bssj,b.dwmc,c.kcwz from (select kd,zkzh,bmh,xm,"
    "sfzh,JBYYDM,kch,wzh,JBYY,bssj from (select kd,jb,zkzh,bmh,xm,sfzh,kch,wzh from v_ksxx where kd=:DM and "
    "blcjzl<>'1') a left join Tc_JBYY b on a.jb=b.jbyydm where kch=:KCH) a left join t_scbjg b on a.kd=b.dm2 left "
    "join t_bskcsy c on a.kd=c.kddm and a.kch=c.bskch where a.kd+a.kch not in (select kddm+bskch from t_bshhkc) "
    "union select kd,zkzh,bmh,xm,sfzh,jbyydm,c.hhkch kch,wzh,jbyy,(select max(bssj) from  (select * from v_ksxx "
    "where kd=:DM3) a left join Tc_JBYY b on a.jb=b.jbyydm  where kch in (select bskch from t_bshhkc where "
    "kddm=:DM4 and hhkch=:KCH2 ) group by kd),b.dwmc,c.kcwz from (select kd,zkzh,bmh,xm,sfzh,JBYYDM,kch,wzh,JBYY,"
    "bssj from (select kd,jb,zkzh,bmh,xm,sfzh,kch,wzh from v_ksxx where kd=:DM1 and blcjzl<>'1') a left join "
    "Tc_JBYY b on a.jb=b.jbyydm where kch in (select bskch from t_bshhkc where kddm=:DM2 and hhkch=:KCH1 )) a left "
    "join t_scbjg b on a.kd=b.dm2  join (select a.*,b.kcwz from t_bshhkc a left join t_bskcsy b on "
    "a.hhkch=b.bskch and a.kddm=b.kddm) c on a.kd=c.kddm and a.kch=c.bskch) a order by zkzh";

// The merged-room query for a room number of a test centre (quotes
// doubled, as the module builds it).
inline std::string MergedRoomQuery(const std::string& room, const std::string& centre) {
  return "select * from t_bshhkc where hhkch ='" + ReplaceAll(room, "'", "''") + "' and kddm='" +
         ReplaceAll(centre, "'", "''") + "'";
}

}  // namespace talven::test

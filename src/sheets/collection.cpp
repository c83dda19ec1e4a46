#include "sheets/collection.h"

#include "base/convert.h"
#include "base/text.h"
#include "data/dataset.h"
#include "sheets/memtable.h"

namespace talven {

const std::string& CandidateQuery() {
  static const std::string query =
      "select * from (select kd,zkzh,bmh,xm,sfzh,jbyydm,kch,wzh,jbyy,bssj,b.dwmc,c.kcwz from (select "
      "kd,zkzh,bmh,xm,sfzh,JBYYDM,kch,wzh,JBYY,bssj from (select kd,jb,zkzh,bmh,xm,sfzh,kch,wzh from v_ksxx where "
      "kd=:DM and blcjzl<>'1') a left join Tc_JBYY b on a.jb=b.jbyydm where kch=:KCH) a left join t_scbjg b on "
      "a.kd=b.dm2 left join t_bskcsy c on a.kd=c.kddm and a.kch=c.bskch where a.kd+a.kch not in (select "
      "kddm+bskch from t_bshhkc) union select kd,zkzh,bmh,xm,sfzh,jbyydm,c.hhkch kch,wzh,jbyy,(select max(bssj) "
      "from  (select * from v_ksxx where kd=:DM3) a left join Tc_JBYY b on a.jb=b.jbyydm  where kch in (select "
      "bskch from t_bshhkc where kddm=:DM4 and hhkch=:KCH2 ) group by kd),b.dwmc,c.kcwz from (select "
      "kd,zkzh,bmh,xm,sfzh,JBYYDM,kch,wzh,JBYY,bssj from (select kd,jb,zkzh,bmh,xm,sfzh,kch,wzh from v_ksxx where "
      "kd=:DM1 and blcjzl<>'1') a left join Tc_JBYY b on a.jb=b.jbyydm where kch in (select bskch from t_bshhkc "
      "where kddm=:DM2 and hhkch=:KCH1 )) a left join t_scbjg b on a.kd=b.dm2  join (select a.*,b.kcwz from "
      "t_bshhkc a left join t_bskcsy b on a.hhkch=b.bskch and a.kddm=b.kddm) c on a.kd=c.kddm and a.kch=c.bskch) a "
      "order by zkzh";
  return query;
}

std::string MergedRoomQuery(const std::string& kch, const std::string& kddm) {
  return "select * from t_bshhkc where hhkch ='" + ReplaceAll(kch, "'", "''") + "' and kddm='" +
         ReplaceAll(kddm, "'", "''") + "'";
}

void CollectCandidates(DataSet& List_Set, DataSet& Report_Set, DataSet& Temp_Set,
                       const std::function<std::string()>& firstRecord,
                       const std::function<std::string()>& lastRecord, TMemTable& MemTable1) {
  List_Set.SetRecNo(StrToInt(firstRecord()));
  MemTable1.Empty();
  while (List_Set.RecNo() <= StrToInt(lastRecord())) {
    const std::string centre = List_Set.FieldByName("考点代码"_gbk).AsString();
    const std::string room = List_Set.FieldByName("笔试考场号"_gbk).AsString();

    Report_Set.Close();
    Report_Set.SetCommandText(CandidateQuery());
    for (const char* p : {"DM", "DM1", "DM2", "DM3", "DM4"}) Report_Set.SetParam(p, centre);
    for (const char* p : {"KCH", "KCH1", "KCH2"}) Report_Set.SetParam(p, room);
    Report_Set.Open();

    Temp_Set.Close();
    Temp_Set.SetCommandText(
        MergedRoomQuery(Report_Set.IsEmpty() ? std::string() : Report_Set.FieldByName("kch").AsString(), centre));
    Temp_Set.Open();
    std::string merged;  // ",14,15"
    for (Temp_Set.First(); !Temp_Set.Eof(); Temp_Set.Next())
      merged += "," + Temp_Set.FieldByName("bskch").AsString().substr(0, 2);
    const std::string mergedCodes = merged.empty() ? merged : merged.substr(1);
    const bool isHostRoom = !Trim(mergedCodes).empty();

    const int count = Report_Set.RecordCount();
    for (Report_Set.First(); !Report_Set.Eof(); Report_Set.Next()) {
      MemTable1.Append();
      for (const char* f : {"dwmc", "zkzh", "xm", "sfzh", "kcwz"})
        MemTable1.FieldByName(f).SetAsString(Report_Set.FieldByName(f).AsString());
      MemTable1.FieldByName("rs").SetAsInteger(count);
      MemTable1.FieldByName("jbyy").SetAsString(isHostRoom ? mergedCodes : Report_Set.FieldByName("jbyy").AsString());
      MemTable1.FieldByName("jbyydm")
          .SetAsString(isHostRoom ? mergedCodes : Report_Set.FieldByName("jbyydm").AsString());
      MemTable1.FieldByName("kch").SetAsString(Trim(Report_Set.FieldByName("kch").AsString()));
      MemTable1.FieldByName("BMH").SetAsString(Report_Set.FieldByName("BMH").AsString());
      MemTable1.FieldByName("wzh").SetAsInteger(Report_Set.FieldByName("wzh").AsInteger());
      MemTable1.FieldByName("bssj").SetAsFloat(Report_Set.FieldByName("bssj").AsFloat());
      MemTable1.Post();
    }

    List_Set.Next();
    if (List_Set.Eof()) break;
  }
}

}  // namespace talven

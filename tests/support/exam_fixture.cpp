#include "support/exam_fixture.h"

#include <string>

#include "data/demo/demo_db.h"
#include "support/fixture.h"

namespace talven::test {
namespace {

std::string Candidates(const std::string& kd, const std::string& jb, const std::string& kch, int count,
                       const std::string& firstTicket, const std::string& blcjzl = "0") {
  std::string sql;
  const long long first = std::stoll(firstTicket);
  for (int i = 0; i < count; ++i) {
    const std::string ticket = std::to_string(first + i);
    sql += "insert into t_ksxx values ('" + ticket + "','B" + ticket + "','考生" + std::to_string(i + 1) +
           "','1','1990-01-01','11010119900101" + std::to_string(1000 + i) + "','" + kd + "','" + jb + "','" + kch +
           "'," + std::to_string(i + 1) + ",'" + blcjzl + "');\n";
  }
  return sql;
}

}  // namespace

void MakeExamFixture(const std::string& path, std::string_view extraSql, demo::TextCollation collation) {
  std::string sql = demo::ExamSchemaSql(collation);
  sql += R"sql(
insert into t_version values ('3.00');
insert into t_setting values ('jb','3'),('dm','110101'),('kc','202503'),('date','2008-04-19'),
  ('time','9:00'),('BSKCQD','0');
insert into t_scbjg values ('00',0,'考试院',null,null),
  ('11',1,'北京',null,null),('1101',2,'市辖区',null,'11'),('110101',3,'一中','110101','1101'),
  ('32',1,'江苏省',null,null),('3201',2,'南京市',null,'32'),('320101',3,'南京考点','320101','3201'),
  ('3202',2,'无锡市',null,'32'),('44',1,'广东省',null,null);
insert into Tc_jbyy values ('14','二级C语言',120),('15','二级Java',150),('24','三级网络',150);
insert into t_bskc values ('110101','14001',28,'A1',30),('110101','14002',5,'A2',30),
  ('110101','14003',2,'A3',30),('110101','15001',3,'A4',30),('110101','14005  ',3,'A5',30),
  ('110101','24001',0,'A6',30),('110101','99001',2,'A7',30),
  ('320101','14001',4,'B1',30),('320101','15002',4,'B2',30);
insert into t_bskcsy values ('110101','14001','一号楼101'),('110101','14002','一号楼102'),
  ('110101','14003','一号楼103'),('110101','15001','一号楼104'),('110101','14005  ','一号楼105'),
  ('110101','24001','一号楼106'),('110101','99001','一号楼107'),
  ('320101','14001','南楼1'),('320101','15002','南楼2');
insert into t_bshhkc values ('110101','14003','14002'),('110101','15001','14002');
)sql";
  sql += Candidates("110101", "14", "14001", 28, "110101140100");
  sql += Candidates("110101", "14", "14001", 1, "110101140199", "1");
  sql += Candidates("110101", "14", "14003", 2, "110101140300");
  sql += Candidates("110101", "15", "15001", 3, "110101150100");
  sql += Candidates("110101", "14", "14005  ", 3, "110101140500");
  sql += Candidates("110101", "99", "99001", 2, "110101990100");
  sql += Candidates("320101", "14", "14001", 4, "320101140100");
  sql += Candidates("320101", "15", "15002", 4, "320101150200");
  sql += extraSql;
  MakeDatabase(path, sql);
}

}  // namespace talven::test

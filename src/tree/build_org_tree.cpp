#include "tree/build_org_tree.h"

#include "base/text.h"
#include "data/dataset.h"

namespace talven {

void BuildOrgTree(OrgTree& tree, HostConnection* connection) {
  DataSet q0(connection), q1(connection), q2(connection), q3(connection);
  q0.SetCommandText("select dwmc from t_scbjg where jb=0 ");
  q1.SetCommandText("select dm,dwmc from v_ssjg order by dm");
  q2.SetCommandText("select dm,dwmc from v_dsjg where dm like :dm order by dm");
  q3.SetCommandText("select dm,dwmc from v_kdjg where szds=:dsdm order by dm");

  q0.Open();
  OrgNode* root = tree.Add(nullptr, q0.IsEmpty() ? std::string("00-Orvu") : "00-" + q0.FieldByName("dwmc").AsString());

  q1.Open();
  for (q1.First(); !q1.Eof(); q1.Next()) {
    const std::string provinceCode = q1.FieldByName("dm").AsString();
    OrgNode* province = tree.Add(root, provinceCode + "-" + q1.FieldByName("dwmc").AsString());
    q2.Close();
    q2.SetParam(0, provinceCode + "%");
    q2.Open();
    for (q2.First(); !q2.Eof(); q2.Next()) {
      const std::string cityCode = q2.FieldByName("dm").AsString();
      // A city node shows only the city's own two characters.
      const std::string own = cityCode.size() >= 2 ? cityCode.substr(cityCode.size() - 2) : cityCode;
      OrgNode* city = tree.Add(province, own + "-" + q2.FieldByName("dwmc").AsString());
      q3.Close();
      q3.SetParam(0, cityCode);
      q3.Open();
      for (q3.First(); !q3.Eof(); q3.Next())
        tree.Add(city, q3.FieldByName("dm").AsString() + "-" + q3.FieldByName("dwmc").AsString());
    }
  }
}

}  // namespace talven

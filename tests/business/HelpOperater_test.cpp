#include "business/HelpOperater.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "business/BusinessObject.h"
#include "business/PurchaseOrderBusiness.h"
#include "config/ConfigTestSupport.h"
#include "pools/GlobleParams.h"
#include "pools/TextPools.h"

namespace gateway {
namespace {

const char kHeader[] =
    "<PropertyDesc>属性标识,属性名称,类型,长度,是否必输,描述信息,可否更改,起始值,截止值,"
    "取值列表,默认值,字段名</PropertyDesc>";

// An operator that only has a name.
class NamedOperater : public TBaseOperater {
 public:
  NamedOperater(TBusinessBase* business, std::string name)
      : TBaseOperater(business), name_(std::move(name)) {}
  std::string GetName() override { return name_; }
  TInputPool* GetInputPool() override { return OwnedInputPool(); }
  TOutputPool* GetOutputPool() override { return OwnedOutputPool(); }

 private:
  std::string name_;
};

// A "SetData" operator that states the operations it supports.
class SetDataOperater : public NamedOperater, public ISetDataOperations {
 public:
  SetDataOperater(TBusinessBase* business, TSetDataOperations operations)
      : NamedOperater(business, "SetData"), operations_(operations) {}
  TSetDataOperations SupportedOperations() const override { return operations_; }

 private:
  TSetDataOperations operations_;
};

// A business object with the operators the test asks for; "Help" comes last.
class TestBusiness : public TBusinessBase {
 public:
  explicit TestBusiness(const std::vector<TBaseOperater*>& operaters) {
    for (TBaseOperater* operater : operaters) GetOperaterList()->Add(operater);
    GetOperaterList()->Add(new THelpOperater(this));
  }
};

// The library started in a fresh gateway root whose module is
// ROOT/Bin/PurchaseOrder.so, so the metadata file is ROOT/Obj/PurchaseOrder.xml.
class HelpOperaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartupLibrary();
    GlobleParams().Seperator = ",";
  }
  void TearDown() override { ShutdownLibrary(); }

  void WriteMetadata(const std::string& bytes) {
    testing::WriteFile(root_.Path("Obj/PurchaseOrder.xml"), bytes);
  }

  static TBaseOperater& Help(TBusinessBase& business) {
    IOperater* help = business.GetOperaterList()->FindOperater("Help");
    EXPECT_NE(help, nullptr);
    return *static_cast<TBaseOperater*>(help->GetObject());
  }

  // The names of the output's sub-pools, in order.
  static std::vector<std::string> PoolNames(TBaseOperater& operater) {
    std::vector<std::string> names;
    TPoolList& pools = operater.GetOutputPool()->Pools();
    for (int i = 0; i < pools.Count(); ++i) names.push_back(pools.Items(i)->NodeName());
    return names;
  }

  static std::string PoolText(TBaseOperater& operater, int index) {
    TBasePool* pool = operater.GetOutputPool()->Pools().Items(index);
    if (auto* text = dynamic_cast<TDefaultPool*>(pool)) return text->Text;
    if (auto* node = dynamic_cast<TTextNodePool*>(pool)) return node->Text;
    ADD_FAILURE() << "unexpected pool class";
    return std::string();
  }

  // Executes Help once and returns the text of the last "Object" pool.
  static std::string Describe(TBusinessBase& business) {
    TBaseOperater& help = Help(business);
    help.Execute();
    EXPECT_EQ(help.Error().Message, "");
    const std::vector<std::string> names = PoolNames(help);
    for (int i = static_cast<int>(names.size()) - 1; i >= 0; --i) {
      if (names[static_cast<size_t>(i)] == "Object") return PoolText(help, i);
    }
    ADD_FAILURE() << "no Object pool";
    return std::string();
  }

  testing::TempFolder root_;
  testing::ScopedModulePath module_{root_.Path("Bin/PurchaseOrder.so")};
};

TEST_F(HelpOperaterTest, APurchaseOrderWithoutMetadataListsItsOperatorsAndTheHeader) {
  TPurchaseOrderBusiness business;
  business.Initialize("<Params/>");
  EXPECT_EQ(business.GetOperaterList()->GetItem(1)->GetName(), "Help");

  TBaseOperater& help = Help(business);
  help.Execute();
  EXPECT_EQ(PoolNames(help), (std::vector<std::string>{"Object", "Status"}));
  EXPECT_EQ(PoolText(help, 0),
            std::string(R"(<Object ID="" Name="" Desc=""><MemoList/>)"
                        "<MethodList><GetData>Y</GetData><Help>Y</Help></MethodList>") +
                kHeader + "</Object>");
  EXPECT_EQ(PoolText(help, 1), "0");
  // The whole response carries the description unchanged.
  EXPECT_NE(help.GetOutputPool()->GetXML().find(PoolText(help, 0)), std::string::npos);
}

TEST_F(HelpOperaterTest, MissingConfigurationAndMetadataAreWarnedAboutByName) {
  testing::CapturedWarnings captured;
  TPurchaseOrderBusiness business;
  business.Initialize("<Params/>");
  const std::string root = root_.Path() + "/";
  const std::string derived =
      "the gateway root " + root + " (derived from the module " + root + "Bin/PurchaseOrder.so)";
  EXPECT_EQ(captured.Warnings(),
            (std::vector<std::string>{
                "no configuration: GatewayConfig.ini is not in " + derived +
                    ", so no database connection is configured and tracing is off",
                "no metadata for PurchaseOrder in " + derived + ": looked for " + root +
                    "Modi/Obj/PurchaseOrder.xml and " + root +
                    "Obj/PurchaseOrder.xml; the object has no properties and Help describes it "
                    "empty"}));

  // With both files there, nothing is said.
  testing::WriteFile(root_.Path("GatewayConfig.ini"), "[Options]\nKeepLog=0\n");
  WriteMetadata("<PurchaseOrder ID=\"PO\"><PropertyList/></PurchaseOrder>");
  testing::CapturedWarnings again;
  business.Initialize("<Params/>");
  EXPECT_EQ(again.Warnings(), std::vector<std::string>{});
}

TEST_F(HelpOperaterTest, APurchaseOrderWithMetadataIsDescribedExactly) {
  WriteMetadata(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<PurchaseOrder ID=\"PurchaseOrder\" Name=\"采购单\" Desc=\"采购订单接口\">\r\n"
      "<HelpInfo>第一行\r\n第二行：单别&amp;单号\r\n第三行</HelpInfo>\r\n"
      "<Body><PropertyList>\r\n"
      "  <Property ID=\"TC001\" Name=\"单别\" Type=\"C\" Size=\"4\" Required=\"Y\" IsKey=\"Y\" "
      "Field=\"TC001\" Desc=\"采购单别\"/>\r\n"
      "  <Property ID=\"TC003\" Name=\"采购日期\" Type=\"D\" Size=\"8\" ReadOnly=\"Y\" "
      "Field=\"TC003\"/>\r\n"
      "  <Property ID=\"Hidden\" Publish=\"N\"/>\r\n"
      "  <Property ID=\"TC018\" Name=\"课税别\" Type=\"C\" Size=\"1\" ValueList=\"1;2;9\" "
      "Default=\"1\" Field=\"TC018\" Desc=\"1.应税内含,2.应税外加\"/>\r\n"
      "</PropertyList></Body>\r\n"
      "</PurchaseOrder>\r\n");
  TPurchaseOrderBusiness business;
  business.Initialize("<Params/>");
  // A separator inside an item is written as "&stdd;", which reads back as
  // those six characters and is therefore serialised as "&amp;stdd;".
  EXPECT_EQ(Describe(business),
            std::string(R"(<Object ID="PurchaseOrder" Name="采购单" Desc="采购订单接口">)"
                        "<MemoList><Memo>第一行</Memo><Memo>第二行：单别&amp;单号</Memo>"
                        "<Memo>第三行</Memo></MemoList>"
                        "<MethodList><GetData>Y</GetData><Help>Y</Help></MethodList>") +
                kHeader +
                "<Property>TC001,单别,C,4,Y,采购单别,Y,,,,,TC001</Property>"
                "<Property>TC003,采购日期,D,8,N,,N,,,,,TC003</Property>"
                "<Property>TC018,课税别,C,1,N,1.应税内含&amp;stdd;2.应税外加,Y,,,1;2;9,1,TC018"
                "</Property></Object>");
}

TEST_F(HelpOperaterTest, EachExecutionAppendsAnotherObjectPool) {
  TPurchaseOrderBusiness business;
  business.Initialize("<Params/>");
  TBaseOperater& help = Help(business);
  help.Execute();
  help.Execute();
  EXPECT_EQ(PoolNames(help), (std::vector<std::string>{"Object", "Status", "Object"}));
  EXPECT_EQ(PoolText(help, 0), PoolText(help, 2));
}

TEST_F(HelpOperaterTest, DescribesTheSupportedSetDataOperations) {
  using Op = TSetDataOperation;
  struct Case {
    const char* what;
    TSetDataOperations operations;
    const char* attributes;
    const char* operate;
  };
  const Case cases[] = {
      {"update only", {Op::Update}, R"( Edit="Y")", "<Operate><Update>Y</Update></Operate>"},
      {"insert and delete",
       {Op::Insert, Op::Delete},
       R"( Insert="Y" Delete="Y")",
       "<Operate><Insert>Y</Insert><Delete>Y</Delete></Operate>"},
      {"sync", {Op::Sync}, R"( Edit="Y")", "<Operate><Sync>Y</Sync></Operate>"},
      {"adjust",
       {Op::Adjust},
       R"( Edit="Y")",
       "<Operate><Adjust>Y</Adjust><DelRedundantAdjust>Y</DelRedundantAdjust></Operate>"},
      {"all five",
       {Op::Adjust, Op::Sync, Op::Update, Op::Delete, Op::Insert},
       R"( Insert="Y" Delete="Y" Edit="Y")",
       "<Operate><Insert>Y</Insert><Delete>Y</Delete><Update>Y</Update><Sync>Y</Sync>"
       "<Adjust>Y</Adjust><DelRedundantAdjust>Y</DelRedundantAdjust></Operate>"},
      {"none", {}, "", "<Operate/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestBusiness business(
        {new NamedOperater(nullptr, "GetData"), new SetDataOperater(nullptr, c.operations)});
    EXPECT_EQ(Describe(business), std::string(R"(<Object ID="" Name="" Desc="")") + c.attributes +
                                      "><MemoList/><MethodList><GetData>Y</GetData><SetData>" +
                                      c.operate + "</SetData><Help>Y</Help></MethodList>" +
                                      kHeader + "</Object>");
  }
}

TEST_F(HelpOperaterTest, ListsOnlyTheOperatorsTheObjectHas) {
  // Names are matched without regard to letter case; a "SetData" operator
  // that does not state its operations supports none.
  TestBusiness business({new NamedOperater(nullptr, "SETDATA")});
  EXPECT_EQ(Describe(business),
            std::string(R"(<Object ID="" Name="" Desc=""><MemoList/>)"
                        "<MethodList><SetData><Operate/></SetData><Help>Y</Help></MethodList>") +
                kHeader + "</Object>");
}

TEST_F(HelpOperaterTest, AFailureBecomesTheErrorAndNoObjectPool) {
  // A name that already holds the separator marker cannot be written into the table.
  WriteMetadata(
      R"(<O><L><PropertyList><Property ID="A" Name="x&amp;stdd;y"/></PropertyList></L></O>)");
  TPurchaseOrderBusiness business;
  business.Initialize("<Params/>");
  TBaseOperater& help = Help(business);
  help.Execute();
  EXPECT_EQ(PoolNames(help), (std::vector<std::string>{"Error", "Status"}));
  EXPECT_NE(PoolText(help, 0).find("&stdd;"), std::string::npos) << PoolText(help, 0);
  EXPECT_EQ(PoolText(help, 1), "-1");
}

TEST(TSetDataOperations, InsertIsTheLowestBit) {
  EXPECT_EQ(TSetDataOperations({TSetDataOperation::Insert}).Bits(), 1);
  EXPECT_EQ(TSetDataOperations({TSetDataOperation::Adjust}).Bits(), 16);
  TSetDataOperations operations;
  EXPECT_TRUE(operations.Empty());
  operations.Include(TSetDataOperation::Sync);
  EXPECT_TRUE(operations.Contains(TSetDataOperation::Sync));
  EXPECT_FALSE(operations.Contains(TSetDataOperation::Update));
}

}  // namespace
}  // namespace gateway

#include "business/BaseOperater.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "business/RequestLimits.h"
#include "config/GatewayConfigU.h"
#include "gateway/Exception.h"
#include "pools/DataPool.h"
#include "pools/ConditionPools.h"
#include "pools/ListPools.h"
#include "pools/PoolTestSupport.h"
#include "pools/TextPools.h"

namespace gateway {
namespace {

// An operator whose steps the test decides.
class TScriptedOperater : public TBaseOperater {
 public:
  TScriptedOperater() : TBaseOperater(nullptr) {}
  std::string GetName() override { return "Scripted"; }
  TInputPool* GetInputPool() override { return OwnedInputPool(); }
  TOutputPool* GetOutputPool() override { return OwnedOutputPool(); }

  std::function<void()> Work;
  bool Skip = false;
  std::string Steps;

 protected:
  void BeforeExecute(bool& continue_execution) override {
    Steps += "before;";
    continue_execution = !Skip;
  }
  void DoExecute() override {
    Steps += "do;";
    if (Work) Work();
  }
  void AfterExecute() override { Steps += "after;"; }
};

class TNamelessOperater : public TBaseOperater {
 public:
  TNamelessOperater() : TBaseOperater(nullptr) {}
};

class BaseOperaterTest : public testing::PoolLibraryTest {
 protected:
  std::string Output() { return op_.GetOutputPool()->GetXML(); }
  std::string Status() { return Text("Status"); }
  std::string Text(const std::string& name) {
    TBasePool* pool = op_.GetOutputPool()->Pools().Find(name);
    return pool == nullptr ? "<none>" : static_cast<TTextNodePool*>(pool)->Text;
  }
  TScriptedOperater op_;
};

TEST_F(BaseOperaterTest, OutcomesBecomeErrorAndStatus) {
  struct Case {
    const char* name;
    std::function<void()> work;
    int32_t code;
    const char* status;
    const char* error;
  };
  const Case cases[] = {
      {"success", [] {}, 0, "0", "<none>"},
      {"failure without a code", [] { throw Exception("broken"); }, -1, "-1", "broken"},
      {"failure with its own code", [] { throw Exception("The DataSet isnot assigned!", -9007); },
       -9007, "-9007", "The DataSet isnot assigned!"},
      {"library failure", [] { throw std::runtime_error("std failure"); }, -1, "-1", "std failure"},
  };
  for (const Case& c : cases) {
    TScriptedOperater op;
    op.Work = c.work;
    op.Execute();
    EXPECT_EQ(op.Error().Code, c.code) << c.name;
    TBasePool* status = op.GetOutputPool()->Pools().Find("Status");
    ASSERT_NE(status, nullptr) << c.name;
    EXPECT_EQ(static_cast<TTextNodePool*>(status)->Text, c.status) << c.name;
    TBasePool* error = op.GetOutputPool()->Pools().Find("Error");
    EXPECT_EQ(error == nullptr ? "<none>" : static_cast<TTextNodePool*>(error)->Text, c.error)
        << c.name;
  }
}

TEST_F(BaseOperaterTest, EachExecutionReportsItsOwnOutcome) {
  op_.Work = [] { throw Exception("first run fails"); };
  op_.Execute();
  EXPECT_EQ(Status(), "-1");
  op_.Work = nullptr;
  op_.Execute();
  EXPECT_EQ(op_.Error().Code, 0);
  EXPECT_EQ(op_.Error().Message, "");
  EXPECT_EQ(Status(), "0");
  EXPECT_EQ(Text("Error"), "<none>");
  EXPECT_EQ(Output().find("<Error>"), std::string::npos);
  // Error and Status are reused in their places, never repeated.
  op_.Work = [] { throw Exception("again"); };
  op_.Execute();
  op_.Execute();
  EXPECT_EQ(op_.GetOutputPool()->Pools().Count(), 2);
}

TEST_F(BaseOperaterTest, SkippingStillWritesStatus) {
  op_.Skip = true;
  op_.Execute();
  EXPECT_EQ(op_.Steps, "before;");
  EXPECT_EQ(Status(), "0");
}

TEST_F(BaseOperaterTest, AFailingStepSkipsTheRest) {
  op_.Work = [] { throw Exception("stop"); };
  op_.Execute();
  EXPECT_EQ(op_.Steps, "before;do;");
}

TEST_F(BaseOperaterTest, MissingOperationsRaiseNotImplementedAtTheHost) {
  TNamelessOperater op;
  try {
    op.GetName();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "Please implement the function: [Class=TNamelessOperater, function=GetName] !");
  }
  EXPECT_THROW(op.GetInputPool(), Exception);
  // Finish cannot write an outcome without an output pool: that failure reaches the host.
  EXPECT_THROW(op.Execute(), Exception);
}

TEST_F(BaseOperaterTest, ReferenceCountingEndsTheOperatorWithItsLastRelease) {
  auto* op = new TScriptedOperater;
  IOperater* counted = nullptr;
  ASSERT_EQ(op->QueryInterface(kIID_IOperater, reinterpret_cast<void**>(&counted)), kInterfaceOk);
  EXPECT_EQ(counted->AddRef(), 2);
  EXPECT_EQ(counted->Release(), 1);
  EXPECT_EQ(counted->Release(), 0);  // ended here; the sanitizers watch for a leak or reuse
}

TEST_F(BaseOperaterTest, TheInputPoolMakesOneSubPoolPerRequestElement) {
  TInputPool& input = *op_.GetInputPool();
  input.SetXML(
      "<Request><Seperator>|</Seperator><!-- a note -->"
      "<Condition><Group Type=\"and\"><Property Name=\"A\" Type=\"EQUAL\" Value=\"1\"/></Group>"
      "</Condition><Condition><Group><Property Name=\"B\" Type=\"EQUAL\" Value=\"2\"/></Group>"
      "</Condition><condition/><OrderList>A|B</OrderList><AgentOption>x=1</AgentOption>"
      "<PropertyList>A|B</PropertyList>"
      "<ExtendedProperties><Hint/></ExtendedProperties></Request>");
  EXPECT_EQ(GlobleParams().Seperator, "|");
  TPoolList& pools = input.Pools();
  ASSERT_EQ(pools.Count(), 7);
  EXPECT_EQ(pools.Items(0)->NodeName(), "Seperator");
  EXPECT_NE(dynamic_cast<TConditionPool*>(pools.Items(1)), nullptr);
  EXPECT_NE(dynamic_cast<TConditionPool*>(pools.Items(2)), nullptr);
  // Both condition pools read the first Condition element.
  EXPECT_EQ(static_cast<TConditionPool*>(pools.Items(2))->Text, "((A = '1'))");
  EXPECT_EQ(dynamic_cast<TConditionPool*>(pools.Items(3)), nullptr);  // "condition"
  EXPECT_EQ(pools.Items(3)->NodeName(), "condition");
  EXPECT_NE(dynamic_cast<TOrderListPool*>(pools.Items(4)), nullptr);
  EXPECT_EQ(static_cast<TTextNodePool*>(pools.Items(5))->Text, "x=1");
  // A plain operator computes expressions from the property list.
  EXPECT_NE(dynamic_cast<TGetCaculatePropertyListPool*>(pools.Items(6)), nullptr);
  EXPECT_EQ(input.ExtendedProperties, "<ExtendedProperties><Hint/></ExtendedProperties>");

  // A later request has the pools of its own elements only.
  input.SetXML("<Request><OrderList>C</OrderList><Data/></Request>");
  ASSERT_EQ(pools.Count(), 2);
  EXPECT_EQ(static_cast<TOrderListPool*>(pools.Items(0))->Text, "C");
  EXPECT_NE(dynamic_cast<TDataPool*>(pools.Items(1)), nullptr);
  EXPECT_EQ(input.ExtendedProperties, "");
  EXPECT_EQ(GlobleParams().Seperator, "");
  EXPECT_EQ(input.Refusal(), "");

  input.SetXML("not xml");
  EXPECT_EQ(pools.Count(), 0);
  EXPECT_EQ(input.Refusal().rfind("The request is not well-formed XML (line 1: ", 0), 0u)
      << input.Refusal();
}

TEST_F(BaseOperaterTest, ARequestOfManyNamesLeavesNoPoolsBehind) {
  TInputPool& input = *op_.GetInputPool();
  std::string many = "<Request>";
  for (int i = 0; i < 10000; ++i) many += "<E" + std::to_string(i) + "/>";
  input.SetXML(many + "<OrderList>A</OrderList></Request>");
  EXPECT_EQ(input.Pools().Count(), 10001);
  input.SetXML("<Request><OrderList>A</OrderList><AgentOption>x=1</AgentOption></Request>");
  EXPECT_EQ(input.Pools().Count(), 2);
}

TEST_F(BaseOperaterTest, ARequestBeyondTheBoundsIsRefusedBeforeItIsRead) {
  TInputPool& input = *op_.GetInputPool();
  const std::string within = "<Request><Seperator>|</Seperator><OrderList>A</OrderList></Request>";
  std::string attributes = "<Request><Seperator>|</Seperator><Condition><Property";
  for (size_t i = 0; i <= kMaxElementAttributes; ++i) attributes += " a" + std::to_string(i) + "=\"\"";
  attributes += "/></Condition></Request>";
  struct Case {
    std::string config;
    std::string request;
    std::string refusal;
  };
  const Case cases[] = {
      {"MaxRequestBytes=60", within,
       "The request is 67 bytes long, more than the 60 a request may have (MaxRequestBytes in "
       "GatewayConfig.ini), so it was not run"},
      {"MaxRequestElements=2", within,
       "The request holds 3 elements, more than the 2 a request may hold (MaxRequestElements in "
       "GatewayConfig.ini), so it was not run"},
      {"", attributes,
       "An element of the request carries 257 attributes, more than the 256 one element may "
       "carry, so the request was not run"},
      // Not positive numbers: the defaults.
      {"MaxRequestBytes=0\nMaxRequestElements=many", within, ""},
  };
  testing::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    testing::WriteFile(folder.Path("GatewayConfig.ini"), "[Options]\n" + c.config + "\n");
    GatewayConfig().LoadFromFile(folder.Path("GatewayConfig.ini"));
    input.SetXML(within);  // a request before, whose settings must not stay
    input.SetXML(c.request);
    EXPECT_EQ(input.Refusal(), c.refusal);
    EXPECT_EQ(input.Pools().Count(), c.refusal.empty() ? 2 : 0);
    EXPECT_EQ(GlobleParams().Seperator, c.refusal.empty() ? "|" : "");
  }
  GatewayConfig() = TGatewayConfig{};  // as the library starts without a file
}

TEST_F(BaseOperaterTest, OperaterPoolsReportTheOperatorsErrorRecord) {
  op_.Work = [] { throw Exception("visible to the host", 5); };
  op_.Execute();
  EXPECT_EQ(op_.GetOutputPool()->GetError().Code, 5);
  EXPECT_EQ(&op_.GetInputPool()->GetError(), &op_.Error());
}

}  // namespace
}  // namespace gateway

#include "pools/BaseClass.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "config/GatewayPaths.h"
#include "config/TraceLog.h"

namespace gateway {
namespace {

// A pool holding one text, written as <Name>text</Name>.
class TSampleTextPool : public TBasePool {
 public:
  TSampleTextPool() { SetNodeName("Sample"); }
  std::string Value;
  int ClearCalls = 0;
  void Clear() override {
    ++ClearCalls;
    Value.clear();
  }

 protected:
  void ToXML(std::string& xml) override { xml = "<" + NodeName() + ">" + Value + "</" + NodeName() + ">"; }
  void FromXML(const std::string& xml) override { Value = xml; }
};

class TOtherPool : public TSampleTextPool {};

// Records its own destruction so the ownership rules can be observed.
class TWatchedPool : public TBasePool {
 public:
  explicit TWatchedPool(std::vector<std::string>* log, std::string name) : log_(log) {
    SetNodeName(std::move(name));
  }
  ~TWatchedPool() override { log_->push_back(NodeName()); }

 private:
  std::vector<std::string>* log_;
};

TEST(TBasePool, SetXMLEmptiesThePoolBeforeReading) {
  TSampleTextPool pool;
  pool.SetXML("first");
  EXPECT_EQ(pool.Value, "first");
  pool.OnSetXML = [](TBasePool&, const std::string&) {};  // supplies nothing
  pool.SetXML("second");
  EXPECT_EQ(pool.Value, "");
  EXPECT_EQ(pool.ClearCalls, 2);
}

TEST(TBasePool, HandlersRunInOrderAndMayChangeTheText) {
  TSampleTextPool pool;
  std::vector<std::string> calls;
  pool.OnBeforeSetXML = [&](TBasePool&, std::string& text) {
    calls.push_back("before-set:" + text);
    text = "changed";
  };
  pool.OnAfterSetXML = [&](TBasePool&) { calls.push_back("after-set"); };
  pool.OnBeforeGetXML = [&](TBasePool&) { calls.push_back("before-get"); };
  pool.OnAfterGetXML = [&](TBasePool&, std::string& text) {
    calls.push_back("after-get:" + text);
    text += "!";
  };
  pool.SetXML("given");
  EXPECT_EQ(pool.Value, "changed");
  EXPECT_EQ(pool.GetXML(), "<Sample>changed</Sample>!");
  EXPECT_THAT(calls, ::testing::ElementsAre("before-set:given", "after-set", "before-get",
                                            "after-get:<Sample>changed</Sample>"));
}

TEST(TBasePool, TraceRecordsShowTheTextAsReceivedAndAsReturned) {
  testing::TempFolder root;
  testing::ScopedModulePath module(root.Path("Bin/PurchaseOrder.so"));
  SetTraceSwitchProvider([] { return true; });
  TSampleTextPool pool;
  pool.OnBeforeSetXML = [](TBasePool&, std::string& text) { text = "changed"; };
  pool.OnAfterGetXML = [](TBasePool&, std::string& text) { text += "!"; };
  pool.SetXML("given");
  pool.GetXML();
  SetTraceSwitchProvider(nullptr);

  const std::string trace = testing::ReadFile(GetTraceLogFile());
  EXPECT_NE(trace.find("[Class ] = TSampleTextPool \r\n[Code  ] = TBasePool \r\n[Action] = SetXML "
                       "\r\n[Prop  ] = Value \r\n[Value ] = given \r\n"),
            std::string::npos)
      << trace;
  EXPECT_NE(trace.find("[Action] = GetXML \r\n[Prop  ] = Result \r\n[Value ] = "
                       "<Sample>changed</Sample>! \r\n"),
            std::string::npos)
      << trace;
}

TEST(TBasePool, BareOperationsRaiseNotImplementedUnlessAHandlerStandsIn) {
  TBasePool pool;
  try {
    pool.GetXML();
    FAIL() << "GetXML of a bare pool must fail";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Please implement the function: [Class=TBasePool, function=ToXML] !");
    EXPECT_EQ(e.HelpContext(), 0);
  }
  EXPECT_THROW(
      {
        try {
          pool.SetXML("<x/>");
        } catch (const Exception& e) {
          EXPECT_EQ(e.Message(),
                    "Please implement the function: [Class=TBasePool, function=FromXML] !");
          throw;
        }
      },
      Exception);

  pool.OnGetXML = [](TBasePool&, std::string& text) { text = "<handled/>"; };
  EXPECT_EQ(pool.GetXML(), "<handled/>");
}

TEST(TBasePool, AFailingStepLeavesAtOnce) {
  TSampleTextPool pool;
  bool after_called = false;
  pool.OnSetXML = [](TBasePool&, const std::string&) { throw Exception("bad", 7); };
  pool.OnAfterSetXML = [&](TBasePool&) { after_called = true; };
  EXPECT_THROW(pool.SetXML("x"), Exception);
  EXPECT_FALSE(after_called);
}

TEST(TBasePool, ReferenceCountingNeverEndsAnOwnedPool) {
  auto pool = std::make_unique<TSampleTextPool>();
  void* raw = nullptr;
  ASSERT_EQ(pool->QueryInterface(kIID_IPool, &raw), kInterfaceOk);
  IPool* pool_interface = static_cast<IPool*>(raw);
  EXPECT_EQ(pool->RefCount(), 1);
  EXPECT_EQ(pool_interface->Release(), 0);
  pool_interface->SetXML("still alive");
  EXPECT_EQ(pool->Value, "still alive");

  const Guid other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(pool->QueryInterface(other, &raw), kNoInterface);
  EXPECT_EQ(raw, nullptr);
}

TEST(TPoolList, FindIgnoresAsciiCaseAndReturnsTheFirstMatch) {
  TPoolList list;
  auto* first = new TSampleTextPool;  // the list owns what is added
  auto* second = new TSampleTextPool;
  list.AddNamed("Condition", first);
  list.AddNamed("CONDITION", second);
  list.AddNamed("条件a", std::make_unique<TSampleTextPool>());

  EXPECT_EQ(list.Find("condition"), first);
  EXPECT_EQ(list.Find("CONDITION"), first);
  EXPECT_NE(list.Find("条件A"), nullptr);
  EXPECT_EQ(list.Find("Conditions"), nullptr);
  EXPECT_EQ(list.Find(""), nullptr);

  TBasePool* found = nullptr;
  EXPECT_FALSE(list.TryFind("Data", found));
  EXPECT_EQ(found, nullptr);
}

TEST(TPoolList, EmptyNameMatchesAPoolWithoutName) {
  TPoolList list;
  auto* unnamed = new TBasePool;
  list.Add(unnamed);
  EXPECT_EQ(list.Find(""), unnamed);
}

TEST(TPoolList, TryFindOfClassReportsAPoolOfAnotherClass) {
  TPoolList list;
  auto* text_pool = new TSampleTextPool;
  list.AddNamed("Data", text_pool);
  TBasePool* found = nullptr;
  EXPECT_FALSE(list.TryFindOfClass<TOtherPool>("Data", found));
  EXPECT_EQ(found, text_pool);
  EXPECT_TRUE(list.TryFindOfClass<TSampleTextPool>("data", found));
  EXPECT_TRUE(list.TryFindOfClass<TBasePool>("DATA", found));
  EXPECT_FALSE(list.TryFindOfClass<TSampleTextPool>("Missing", found));
  EXPECT_EQ(found, nullptr);
}

TEST(TPoolList, OwnershipDecidesWhatDeletionDestroys) {
  std::vector<std::string> destroyed;
  {
    TPoolList list;
    auto* removed = new TWatchedPool(&destroyed, "removed");
    auto* extracted = new TWatchedPool(&destroyed, "extracted");
    list.Add(removed);
    list.Add(extracted);
    list.Add(new TWatchedPool(&destroyed, "a"));
    list.Add(new TWatchedPool(&destroyed, "b"));

    EXPECT_EQ(list.Remove(removed), 0);
    EXPECT_EQ(destroyed, std::vector<std::string>{"removed"});

    std::unique_ptr<TBasePool> taken(list.Extract(extracted));
    EXPECT_EQ(taken.get(), extracted);
    EXPECT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(list.Count(), 2);
  }
  // The extracted pool ended with its new owner (declared last, so ended first);
  // the list's end then deleted from the last entry to the first.
  EXPECT_EQ(destroyed, (std::vector<std::string>{"removed", "extracted", "b", "a"}));

  destroyed.clear();
  TWatchedPool kept(&destroyed, "kept");
  {
    TPoolList index;
    index.OwnsPools = false;
    index.Add(&kept);
    index.Add(&kept);
    index.Remove(&kept);
  }
  EXPECT_TRUE(destroyed.empty());
}

TEST(TPoolList, APoolAddedTwiceIsDestroyedOnce) {
  std::vector<std::string> destroyed;
  {
    TPoolList list;
    auto* twice = new TWatchedPool(&destroyed, "twice");
    list.Add(twice);
    list.Add(twice);
    list.Delete(0);
    EXPECT_TRUE(destroyed.empty());
  }
  EXPECT_EQ(destroyed, std::vector<std::string>{"twice"});
}

TEST(TPoolList, IndexOutsideTheListRaisesTheListError) {
  TPoolList list;
  list.Add(new TSampleTextPool);
  EXPECT_NO_THROW(list.Items(0));
  for (int bad : {-1, 1, 5}) {
    EXPECT_THROW(list.Items(bad), EListError) << bad;
    EXPECT_THROW(list.Delete(bad), EListError) << bad;
  }
  EXPECT_EQ(list.Remove(nullptr), -1);
  EXPECT_EQ(list.Extract(nullptr), nullptr);
}

}  // namespace
}  // namespace gateway

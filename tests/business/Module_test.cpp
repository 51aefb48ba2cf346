// Drives the built module the way a host does: dlopen, the two exported
// functions and the public interfaces only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "gateway/IBusiness.h"
#include "gateway/Version.h"

namespace {

namespace fs = std::filesystem;

// A gateway root with the built module in Bin/ and a metadata file.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path module = root_.Path("Bin/PurchaseOrder.so");
    fs::create_directories(module.parent_path());
    fs::copy_file(GATEWAY_MODULE_PATH, module);
    gateway::testing::WriteFile(
        root_.Path("Obj/PurchaseOrder.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Object ID=\"PURTC\" Name=\"采购单\" Desc=\"采购单头与单身\">"
        "<HelpInfo>取采购单</HelpInfo>"
        "<PropertyList>"
        "<Property ID=\"TC001\" Field=\"TC001\" Name=\"单别\" Type=\"C\" Size=\"4\" IsKey=\"Y\"/>"
        "</PropertyList></Object>");
    handle_ = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    get_operaters_ = reinterpret_cast<GetOperatersFunction>(dlsym(handle_, kGetOperatersSymbol));
    free_business_ = reinterpret_cast<FreeBusinessFunction>(dlsym(handle_, kFreeBusinessSymbol));
    ASSERT_NE(get_operaters_, nullptr);
    ASSERT_NE(free_business_, nullptr);
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }

  gateway::IBusiness* NewBusiness() {
    gateway::IBusiness* business = nullptr;
    get_operaters_(&business);
    return business;
  }

  gateway::testing::TempFolder root_;
  void* handle_ = nullptr;
  GetOperatersFunction get_operaters_ = nullptr;
  FreeBusinessFunction free_business_ = nullptr;
};

// The two functions every host uses and the two optional ones (the version
// and the warning handler); nothing else.
TEST_F(ModuleTest, ExportsOnlyItsFourFunctions) {
  const std::string command = "nm -D --defined-only '" + root_.Path("Bin/PurchaseOrder.so") + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::array<char, 512> line{};
  std::string functions;
  while (fgets(line.data(), line.size(), pipe.get()) != nullptr) {
    const std::string text(line.data());
    // The exception type's RTTI and vtable are shared on purpose: hosts catch it.
    if (text.find(" T ") != std::string::npos) functions += text.substr(text.rfind(' ') + 1);
  }
  EXPECT_EQ(functions, "FreeBusiness\nGetModuleVersion\nGetOperaters\nSetWarningHandler\n");
}

TEST_F(ModuleTest, ReportsItsVersionAndPassesWarningsToTheHost) {
  auto version =
      reinterpret_cast<GetModuleVersionFunction>(dlsym(handle_, kGetModuleVersionSymbol));
  auto set_handler =
      reinterpret_cast<SetWarningHandlerFunction>(dlsym(handle_, kSetWarningHandlerSymbol));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(set_handler, nullptr);
  EXPECT_STREQ(version(), GATEWAY_VERSION);

  static std::vector<std::string> warnings;
  warnings.clear();
  set_handler([](const char* text) { warnings.emplace_back(text); });
  // This root has no GatewayConfig.ini: Initialize says so.
  gateway::IBusiness* business = NewBusiness();
  business->Initialize("<Params/>");
  set_handler(nullptr);
  business->Initialize("<Params/>");
  free_business_(business);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("no configuration: GatewayConfig.ini is not in the gateway root " +
                                  root_.Path() + "/",
                              0),
            0u)
      << warnings[0];
}

TEST_F(ModuleTest, HelpRunsEndToEndThroughThePublicInterfaces) {
  gateway::IBusiness* business = NewBusiness();
  ASSERT_NE(business, nullptr);
  EXPECT_EQ(business->Initialize("<Params/>"), 0);
  gateway::IOperater* help = business->GetOperaterList()->FindOperater("help");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->GetName(), "Help");
  help->GetInputPool()->SetXML("<Service/>");
  help->Execute();
  const std::string response = help->GetOutputPool()->GetXML();
  EXPECT_NE(response.find("<Object ID=\"PURTC\" Name=\"采购单\" Desc=\"采购单头与单身\">"),
            std::string::npos)
      << response;
  EXPECT_NE(response.find("<Memo>取采购单</Memo>"), std::string::npos) << response;
  EXPECT_NE(response.find("<Status>0</Status>"), std::string::npos) << response;
  free_business_(business);
}

TEST_F(ModuleTest, EachCallGivesAnIndependentBusinessObject) {
  gateway::IBusiness* first = NewBusiness();
  gateway::IBusiness* second = NewBusiness();
  ASSERT_NE(first, second);
  gateway::IOperaterList* operaters = first->GetOperaterList();
  ASSERT_EQ(operaters->GetCount(), 2);
  EXPECT_EQ(operaters->GetItem(0)->GetName(), "GetData");
  EXPECT_EQ(operaters->GetItem(1)->GetName(), "Help");
  EXPECT_EQ(operaters->FindOperater("GETDATA"), operaters->GetItem(0));
  EXPECT_EQ(operaters->FindOperater("SetData"), nullptr);
  EXPECT_NE(second->GetOperaterList()->GetItem(0), operaters->GetItem(0));
  EXPECT_THROW(operaters->GetItem(2), gateway::Exception);

  // Reference counting through IBusiness is switched off.
  EXPECT_EQ(first->AddRef(), -1);
  EXPECT_EQ(first->Release(), -1);
  EXPECT_EQ(first->GetOperaterList()->GetCount(), 2);
  free_business_(first);
  free_business_(second);
}

TEST_F(ModuleTest, FailuresReachTheHostAsTheGatewayException) {
  gateway::IBusiness* business = NewBusiness();
  gateway::IOperater* get_data = business->GetOperaterList()->GetItem(0);
  get_data->GetInputPool()->SetXML("<Service><Seperator>,</Seperator></Service>");
  // No configured database: the connection cannot be made, and that failure
  // reaches the host; whatever it is, it arrives as gateway::Exception.
  try {
    get_data->Execute();
    const std::string response = get_data->GetOutputPool()->GetXML();
    EXPECT_NE(response.find("<Status>"), std::string::npos) << response;
  } catch (const gateway::Exception& e) {
    EXPECT_FALSE(e.Message().empty());
  }
  free_business_(business);
}

}  // namespace

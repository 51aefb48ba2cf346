#include "business/BusinessObject.h"

#include <filesystem>

#include "business/Boundary.h"
#include "config/ClassName.h"
#include "config/GatewayPaths.h"
#include "config/ModulePath.h"
#include "config/ObjectBase.h"
#include "config/Warnings.h"
#include "config/XmlFileText.h"
#include "pools/GlobleParams.h"
#include "text/XmlText.h"

namespace gateway {

TBusinessBase::TBusinessBase()
    : operater_list_(std::make_unique<TBusinessOperaterList>()),
      property_list_(std::make_unique<TPropertyInfoList>()),
      object_help_(std::make_unique<TObjectHelp>()) {}

TBusinessBase::~TBusinessBase() {
  object_help_.reset();
  property_list_.reset();
  operater_list_.reset();
}

int32_t TBusinessBase::QueryInterface(const Guid& iid, void** object) {
  if (object == nullptr) return kNoInterface;
  if (iid == kIID_IBusiness || iid == kIID_IUnknown) {
    *object = static_cast<IBusiness*>(this);
    return kInterfaceOk;
  }
  *object = nullptr;
  return kNoInterface;
}

int32_t TBusinessBase::Initialize(const std::string& params) {
  return RunAtBoundary([&] {
    // Said first: without the file a factory in the parameters cannot be
    // looked up, and the failure that follows does not say why.
    const std::string config = GetGatewayConfigFile();
    if (config.empty() || !FileExists(config)) {
      WriteWarning(ClassNameOf(*this), "TBusinessBase", "Initialize",
                   "no configuration: GatewayConfig.ini is not in " + DescribeGatewayRoot() +
                       ", so no database connection is configured and tracing is off");
    }
    ApplyParams(params);
    InitializeOperaters();
    LoadMetadata();
    return 0;
  });
}

void TBusinessBase::ApplyParams(const std::string& params) {
  init_params_ = params;
  const XmlDocument document = LoadNormalizedXml(params);
  const XmlNode factory = document.DocumentNode().SelectSingleNode("//*/Factory");
  if (!factory.IsNull()) GlobleParams().SetFactory(factory.Text());
}

void TBusinessBase::InitializeOperaters() {
  for (int32_t i = 0; i < operater_list_->GetCount(); ++i) {
    operater_list_->GetItem(i)->Initialize(init_params_);
  }
}

std::string TBusinessBase::GetObjectName() const {
  return std::filesystem::path(ModulePath()).stem().string();
}

void TBusinessBase::LoadMetadata() {
  const std::string name = GetObjectName();
  const std::string file = GetObjectXmlFile(name);
  if (file.empty() || !FileExists(file)) {
    std::string looked_for;
    for (const std::string& candidate : ObjectXmlCandidates(name)) {
      looked_for += (looked_for.empty() ? "" : " and ") + candidate;
    }
    WriteWarning(ClassNameOf(*this), "TBusinessBase", "LoadMetadata",
                 "no metadata for " + name + " in " + DescribeGatewayRoot() +
                     (looked_for.empty() ? "" : ": looked for " + looked_for) +
                     "; the object has no properties and Help describes it empty");
    return;
  }
  property_list_->LoadFromFile(file);
  object_help_->LoadFromXML(ReadXmlFileText(file));
}

TDataController* TBusinessBase::GetDataController() const {
  return GlobleParams().DataController();
}

std::string TBusinessBase::GetKeyList() const {
  const std::string& separator = GlobleParams().Seperator;
  std::string keys;
  bool first = true;
  for (int i = 0; i < property_list_->Count(); ++i) {
    const TPropertyInfo& property = property_list_->Items(i);
    if (!property.IsKey) continue;
    if (!first) keys += separator;
    keys += property.ID;
    first = false;
  }
  return keys;
}

}  // namespace gateway

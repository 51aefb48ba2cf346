#include "business/HelpOperater.h"

#include <memory>

#include "business/BusinessObject.h"
#include "config/ObjectBase.h"
#include "gateway/Exception.h"
#include "pools/TextPools.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

// The supported operations of the business object's "SetData" operator; an
// operator that does not state them supports none.
TSetDataOperations SupportedOperationsOf(IOperater& operater) {
  auto* object = static_cast<TBaseOperater*>(operater.GetObject());
  const auto* operations = dynamic_cast<const ISetDataOperations*>(object);
  return operations != nullptr ? operations->SupportedOperations() : TSetDataOperations();
}

void DescribeSetData(const XmlNode& root, const XmlNode& method_list, IOperater& set_data) {
  const XmlDocument document = root.OwnerDocument();
  const XmlNode operate = method_list.AppendChild(document.CreateElement("SetData"))
                              .AppendChild(document.CreateElement("Operate"));
  const TSetDataOperations operations = SupportedOperationsOf(set_data);
  if (operations.Contains(TSetDataOperation::Insert)) {
    root.SetAttribute("Insert", "Y");
    SetChildText(operate, "Insert", "Y");
  }
  if (operations.Contains(TSetDataOperation::Delete)) {
    root.SetAttribute("Delete", "Y");
    SetChildText(operate, "Delete", "Y");
  }
  if (operations.Contains(TSetDataOperation::Update)) SetChildText(operate, "Update", "Y");
  if (operations.Contains(TSetDataOperation::Sync)) SetChildText(operate, "Sync", "Y");
  if (operations.Contains(TSetDataOperation::Adjust)) {
    SetChildText(operate, "Adjust", "Y");
    SetChildText(operate, "DelRedundantAdjust", "Y");
  }
  if (operations.Contains(TSetDataOperation::Update) ||
      operations.Contains(TSetDataOperation::Sync) ||
      operations.Contains(TSetDataOperation::Adjust)) {
    root.SetAttribute("Edit", "Y");
  }
}

}  // namespace

std::string THelpGenerator::Generate() const {
  const TObjectHelp& help = business_.ObjectHelp();
  TBusinessOperaterList& operaters = *business_.GetOperaterList();

  const XmlDocument document = LoadNormalizedXml("<Object/>");
  const XmlNode root = document.DocumentElement();
  root.SetAttribute("ID", help.ID);
  root.SetAttribute("Name", help.Name);
  root.SetAttribute("Desc", help.Desc);

  const XmlNode memo_list = root.AppendChild(document.CreateElement("MemoList"));
  for (const std::string& line : help.HelpInfo) {
    memo_list.AppendChild(document.CreateElement("Memo")).SetText(line);
  }

  const XmlNode method_list = root.AppendChild(document.CreateElement("MethodList"));
  IOperater* operater = nullptr;
  if (operaters.HasOperater("GetData", operater)) SetChildText(method_list, "GetData", "Y");
  if (operaters.HasOperater("SetData", operater)) DescribeSetData(root, method_list, *operater);
  if (operaters.HasOperater("Help", operater)) SetChildText(method_list, "Help", "Y");

  const std::string description = business_.PropertyList().GetDescription();
  const XmlNode table = LoadNormalizedXml("<a>" + description + "</a>").DocumentElement();
  if (table.IsNull()) {
    throw Exception("The property description is not well-formed XML: " + description);
  }
  // Appending a node of the other document copies it, so the source stays
  // as it is while its children are appended.
  for (const XmlNode& child : table.Children()) root.AppendChild(child);
  return root.Xml();
}

void THelpOperater::DoExecute() {
  TBaseOperater::DoExecute();
  if (Business() == nullptr) throw Exception("The help operator belongs to no business object");
  auto pool = std::make_unique<TDefaultPool>();
  pool->SetNodeName("Object");
  pool->Text = THelpGenerator(*Business()).Generate();
  GetOutputPool()->Pools().Add(std::move(pool));
}

}  // namespace gateway

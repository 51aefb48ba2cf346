#include "data/KvAdoQuery.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "config/IntegerText.h"
#include "data/Connection.h"
#include "data/ConnectionStrings.h"
#include "text/ListText.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

constexpr int kDefaultCommandTimeout = 30;

bool IsCharacterType(FieldType type) {
  return type == ftString || type == ftFixedChar || type == ftWideString;
}

// Field types whose size means nothing and may stay 0.
bool KeepsZeroSize(FieldType type) {
  switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat:
    case ftCurrency: case ftDate: case ftTime: case ftDateTime: case ftAutoInc: case ftLargeint:
      return true;
    default:
      return false;
  }
}

// Takes a dataset's scroll hooks away for its lifetime.
class ScrollHooksOff {
 public:
  explicit ScrollHooksOff(DataSet& dataset)
      : dataset_(dataset),
        before_(std::move(dataset.BeforeScroll)),
        after_(std::move(dataset.AfterScroll)) {
    dataset_.BeforeScroll = nullptr;
    dataset_.AfterScroll = nullptr;
  }
  ~ScrollHooksOff() {
    dataset_.BeforeScroll = std::move(before_);
    dataset_.AfterScroll = std::move(after_);
  }
  ScrollHooksOff(const ScrollHooksOff&) = delete;
  ScrollHooksOff& operator=(const ScrollHooksOff&) = delete;

 private:
  DataSet& dataset_;
  std::function<void(DataSet&)> before_;
  std::function<void(DataSet&)> after_;
};

std::string BracketedName(const std::string& name) {
  return name.find(' ') == std::string::npos ? name : "[" + name + "]";
}

}  // namespace

// ---------------------------------------------------------------------------
// TParam, TParams

void TParam::SetValue(const DataValue& value) {
  Parameter::SetValue(value);
  const int length = static_cast<int>(value.IsNull() ? 0 : value.AsString().size());
  if (DataType() == ftString && Size() < length) SetSize(length);
  if (Size() <= 0 && DataType() != ftUnknown) SetSize(1);
  Parameters* collection = Collection();
  if (collection == nullptr) return;
  for (int i = 0; i < collection->Count(); ++i) {
    Parameter& other = collection->Items(i);
    if (other.Name() != Name()) continue;
    other.Parameter::SetValue(value);
    if (other.Size() <= 0 && other.DataType() != ftUnknown) other.SetSize(1);
  }
}

std::unique_ptr<Parameter> TParams::CreateItem() { return std::make_unique<TParam>(this); }

// ---------------------------------------------------------------------------
// TKvADOQuery

TKvADOQuery::TKvADOQuery() { SetEnableBCD(false); }

std::unique_ptr<Parameters> TKvADOQuery::CreateParameters() { return std::make_unique<TParams>(); }

void TKvADOQuery::SetCachedUpdates(bool cached) {
  if (cached) {
    SetLockType(ltBatchOptimistic);
  } else if (GetLockType() == ltBatchOptimistic) {
    SetLockType(ltOptimistic);
  }
}

int TKvADOQuery::GetConnectionCommandTimeout() const {
  if (const Connection* connection = GetConnection()) return connection->CommandTimeout();
  if (ConnectionString().empty()) return kDefaultCommandTimeout;
  const std::string text = GetExtendedProperty(ConnectionString(), "Command Timeout");
  return ParseIntegerText(text).value_or(kDefaultCommandTimeout);
}

int TKvADOQuery::GetEffectiveCommandTimeout() const {
  const int connection_side = GetConnectionCommandTimeout();
  switch (command_timeout_type_) {
    case ctSelfCommandTime:
      return own_command_timeout_;
    case ctMaxCommandTime:
      return std::max(connection_side, own_command_timeout_);
    case ctMinCommandTime:
      return std::min(connection_side, own_command_timeout_);
    case ctConnectionCommandTime:
    default:
      return connection_side;
  }
}

int64_t TKvADOQuery::ExecuteStatement() {
  Query::SetCommandTimeout(GetEffectiveCommandTimeout());
  return ExecSQL();
}

void TKvADOQuery::DoBeforeOpen() {
  Query::SetCommandTimeout(GetEffectiveCommandTimeout());
  Query::DoBeforeOpen();
}

void TKvADOQuery::SQLChanged() {
  Close();
  const std::string text = SQLText();
  if (GetCommandType() == cmdText && !SQL().empty() && ParamCheck()) {
    RebuildParameters(text);
  } else {
    SetCommandText(text);
  }
  ApplyBCDSetting(Params());
}

void TKvADOQuery::RebuildParameters(const std::string& text) {
  TParams fresh;
  const std::string command_text = fresh.ParseSQL(text, true);
  // Values survive a change of text for every marker whose name (exactly) stays.
  Parameters& current = Params();
  for (int i = 0; i < current.Count(); ++i) {
    const Parameter& old = current.Items(i);
    for (int j = 0; j < fresh.Count(); ++j) {
      TParam& item = fresh.Items(j);
      if (item.Name() != old.Name()) continue;
      item.SetAttributes(0);
      item.SetNumericScale(0);
      item.SetPrecision(0);
      item.SetSize(0);
      item.SetValue(old.Value());
    }
  }
  SetCommandText(command_text);

  // Types come from the driver where it can describe the command; a driver
  // that cannot (or a text it refuses) leaves the types from parsing. A text
  // without markers has nothing to describe: it is not prepared (nor the
  // connection opened) just to learn that. A query without any connection
  // keeps the types from parsing too, but still takes the new list: the old
  // one belongs to another text.
  const bool can_describe = GetConnection() != nullptr || !ConnectionString().empty();
  if (can_describe && fresh.Count() > 0) {
    try {
      Parameters described;
      DescribeParameters(described);
      if (described.Count() == fresh.Count()) {
        for (int i = 0; i < fresh.Count(); ++i) {
          const Parameter& from = described.Items(i);
          TParam& to = fresh.Items(i);
          to.SetDataType(from.DataType());
          to.SetSize(from.Size());
          to.SetNumericScale(from.NumericScale());
          to.SetPrecision(from.Precision());
          to.SetDirection(from.Direction());
          to.SetAttributes(from.Attributes());
        }
      }
    } catch (...) {
    }
  }
  ApplyBCDSetting(fresh);
  // A text without markers empties the list as well: parameters left over from
  // an earlier text would otherwise be bound to a statement that has none.
  current.Assign(fresh);
}

void TKvADOQuery::ApplyBCDSetting(Parameters& list) const {
  if (EnableBCD()) return;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i).DataType() == ftBCD) list.Items(i).SetDataType(ftFloat);
  }
}

void TKvADOQuery::InitFieldDefs() {
  Query::InitFieldDefs();
  for (FieldDef& def : MutableFieldDefs()) {
    if (def.DataType != ftAutoInc) def.Attributes &= static_cast<FieldAttributes>(~faReadonly);
  }
}

void TKvADOQuery::InternalOpen() {
  Query::InternalOpen();
  for (int i = 0; i < FieldCount(); ++i) {
    Field& field = Fields(i);
    if (field.Size() <= 0 && !KeepsZeroSize(field.DataType())) field.SetSize(1);
  }
}

void TKvADOQuery::AdjustFieldText(const Field& field, std::string& text) const {
  const FieldType type = field.DataType();
  if (type != ftString && type != ftFixedChar && type != ftGuid) return;
  // Only the blank counts: other trailing control bytes are data.
  const size_t last = text.find_last_not_of(' ');
  text.erase(last == std::string::npos ? 0 : last + 1);
}

bool TKvADOQuery::LocateKeys(std::string_view key_fields, const std::vector<DataValue>& key_values,
                             LocateOptions options) {
  if (BeforeScroll) BeforeScroll(*this);
  CheckBrowseMode();
  const bool partial = (options & loPartialKey) != 0;
  bool found = false;
  try {
    std::vector<Field*> fields;
    std::vector<std::string> names;
    SplitToList(std::string(key_fields), ";", names);
    for (const std::string& name : names) fields.push_back(&FieldByName(name));
    if (fields.empty() || key_values.size() < fields.size()) return false;

    std::unique_ptr<DataSet> lookup_cursor = Clone();
    if (GetCursorLocation() == clUseClient) {
      std::string sort;
      for (const Field* field : fields) sort += BracketedName(field->FieldName()) + ",";
      sort.pop_back();
      lookup_cursor->SetSort(sort);
    }
    lookup_cursor->SetFilter("");
    lookup_cursor->First();
    if (fields.size() == 1) {
      lookup_cursor->Find(BuildFindCriterion(*fields[0], key_values[0], partial));
    } else {
      std::string filter;
      for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) filter += " AND ";
        filter += BuildFindCriterion(*fields[i], key_values[i], partial && i + 1 == fields.size());
      }
      lookup_cursor->SetFilter(filter);
      lookup_cursor->First();
    }

    if ((options & loCaseInsensitive) == 0) {
      // The find compares text without regard to case; confirm byte for byte.
      while (!lookup_cursor->Eof()) {
        bool passes = true;
        for (size_t i = 0; i < fields.size() && passes; ++i) {
          if (!IsCharacterType(fields[i]->DataType())) continue;
          std::string value = lookup_cursor->Fields(fields[i]->Index()).AsString();
          value = TrimRight(value);
          const std::string key = key_values[i].IsNull() ? std::string() : key_values[i].AsString();
          passes = partial ? (!key.empty() && value.rfind(key, 0) == 0) : value == key;
        }
        if (passes) break;
        lookup_cursor->Next();
      }
    }

    found = !lookup_cursor->Eof();
    if (found) {
      // The scroll hooks run once for the whole search (before it, and after
      // it when it lands), not again for the move that carries it out.
      const ScrollHooksOff hooks_off(*this);
      GotoBookmark(lookup_cursor->GetBookmark());
      if (Eof() || Bof()) found = false;
    }
  } catch (...) {
    found = false;
  }
  if (found && AfterScroll) AfterScroll(*this);
  return found;
}

std::string BuildFindCriterion(const Field& field, const DataValue& value, bool partial) {
  std::string op = "=";
  std::string quote;
  std::string text;
  const std::string name = BracketedName(field.FieldName());
  // Only a null is searched as Null: an empty text is a value of its own, and
  // a row holding it must be found.
  if (value.IsNull()) {
    text = "Null";
  } else {
    text = value.AsString();
    const FieldType type = field.DataType();
    if (IsDateTimeType(type)) {
      quote = "#";
    } else if (IsCharacterType(type)) {
      if (partial && !text.empty()) {
        text += "*";
        op = " like ";
      }
      quote = text.find('\'') != std::string::npos ? "#" : "'";
    }
  }
  return "(" + name + op + quote + text + quote + ")";
}

void CloseDataSets(Connection& connection) {
  for (int i = 0; i < connection.DataSetCount(); ++i) connection.DataSets(i).Close();
}

}  // namespace gateway

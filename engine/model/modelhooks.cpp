#include "modelhooks.h"

namespace mx {

THookSlot<bool(const QString&, TSQLSyntaxProperties&)> ModelDatasourceHook;
THookSlot<std::unique_ptr<TFieldValueCursor>(const TFieldValuesRequest&)> ModelFieldValuesHook;

} // namespace mx

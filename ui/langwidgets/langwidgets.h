#pragma once
// The texts of widgets that are no properties: the items of combo boxes
// and lists, the tabs of tab widgets, the headers of trees and tables. The
// language component reaches them through TranslateItemTextsHook.

class QObject;

namespace mx::ui {

// Fills the hook (once, at start).
void InstallWidgetTranslation();

} // namespace mx::ui

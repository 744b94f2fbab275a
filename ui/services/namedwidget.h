#pragma once
// Widgets made with their object name: the name by which tests, scripts
// and the language library find them.

#include "engine/core/translate.h"

#include <QPushButton>
#include <QString>

namespace mx::ui {

template <class W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A push button with one of the program's own texts, translated.
inline QPushButton* NamedButton(QWidget* parent, const char* name, const char* text)
{
    return Named(new QPushButton(Translate(text), parent), name);
}

} // namespace mx::ui

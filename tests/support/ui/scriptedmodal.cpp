#include "scriptedmodal.h"

#include <QCoreApplication>

#include <optional>

namespace mx::ui::test {

TScriptedModal::TScriptedModal() : m_scope([this](QDialog& dialog) { return run(dialog); }) {}

TScriptedModal::~TScriptedModal() = default;

TScriptedModal& TScriptedModal::Accept(std::function<void(QDialog&)> fill)
{
    m_steps.append({std::move(fill), TEnd::Accept});
    return *this;
}

TScriptedModal& TScriptedModal::Reject(std::function<void(QDialog&)> fill)
{
    m_steps.append({std::move(fill), TEnd::Reject});
    return *this;
}

TScriptedModal& TScriptedModal::AsFilled(std::function<void(QDialog&)> fill)
{
    m_steps.append({std::move(fill), TEnd::AsFilled});
    return *this;
}

int TScriptedModal::run(QDialog& dialog)
{
    shown.append(dialog.objectName());
    std::optional<int> finished;
    const auto connection = QObject::connect(&dialog, &QDialog::finished, &dialog, [&finished](int r) { finished = r; });
    dialog.setResult(QDialog::Rejected);
    if (m_steps.isEmpty()) {
        ++unexpected;
        dialog.reject();
        QObject::disconnect(connection);
        return QDialog::Rejected;
    }
    const TStep step = m_steps.takeFirst();
    dialog.show();
    QCoreApplication::sendPostedEvents();
    if (step.fill && !finished)
        step.fill(dialog);
    if (!finished) {
        if (step.end == TEnd::Accept)
            dialog.accept();
        else if (step.end == TEnd::Reject)
            dialog.reject();
    }
    if (!finished) {
        ++stayedOpen;
        dialog.reject();
    }
    QObject::disconnect(connection);
    dialog.hide();
    return finished.value_or(QDialog::Rejected);
}

} // namespace mx::ui::test

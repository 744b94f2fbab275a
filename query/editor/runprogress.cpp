#include "runprogress.h"

#include "ui/services/guarded.h"

#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/driver/progresshook.h"
#include "engine/query/query.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace mx::ui {

THookSlot<void(TfmRunProgress&)> RunProgressShown;

struct TfmRunProgress::TUi {
    QLabel* laStatus = nullptr;
    QPushButton* btCancel = nullptr;
};

TfmRunProgress::TfmRunProgress(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    setObjectName(QStringLiteral("fmRunProgress"));
    setWindowTitle(Translate(QStringLiteral("Exécution")));
    setWindowModality(Qt::ApplicationModal);
    QLabel* laStatus = m_ui->laStatus = new QLabel(this);
    laStatus->setObjectName(QStringLiteral("laStatus"));
    laStatus->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QString(40, u'X')));
    QPushButton* btCancel = m_ui->btCancel = new QPushButton(Translate(QStringLiteral("Annuler")), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btCancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(laStatus);
    layout->addLayout(buttons);
    Connect(btCancel, &QPushButton::clicked, this, [this] { Cancel(); });
}

TfmRunProgress::~TfmRunProgress() = default;

void TfmRunProgress::SetStatus(const QString& text)
{
    m_ui->laStatus->setText(text);
}

void TfmRunProgress::Cancel()
{
    m_cancelled = true;
    m_ui->btCancel->setEnabled(false);
}

void TfmRunProgress::closeEvent(QCloseEvent* event)
{
    // Closing asks the run to end; the window goes when the run has.
    Cancel();
    event->ignore();
}

void TfmRunProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Cancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

namespace {

// Keeps a window open while a run works under it.
class TCloseBlocker : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

struct TRunState {
    QElapsedTimer clock;
    qint64 lastPump = 0;
    QPointer<QWidget> window;
    QPointer<TfmRunProgress> dialog;
    QString status;
    bool cancelled = false;
};

TRunState* g_run = nullptr;

bool cancelled()
{
    return g_run && (g_run->cancelled || (g_run->dialog && g_run->dialog->Cancelled()));
}

// Lets events through now and then; true when the run is to end.
bool pump(bool force)
{
    if (!g_run)
        return false;
    const qint64 now = g_run->clock.elapsed();
    if (!force && now - g_run->lastPump < kProgressPumpMs)
        return cancelled();
    g_run->lastPump = now;
    if (!g_run->dialog && now >= kProgressShowDelayMs) {
        auto* dialog = new TfmRunProgress(g_run->window ? g_run->window->window() : nullptr);
        dialog->SetStatus(g_run->status);
        g_run->dialog = dialog;
        dialog->show();
        if (RunProgressShown)
            RunProgressShown(*dialog);
    }
    // Before the window shows nothing takes input; once it shows, only it
    // does (it is modal).
    QCoreApplication::processEvents(g_run->dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return cancelled();
}

} // namespace

bool RunInProgress()
{
    return g_run != nullptr;
}

TfmRunProgress* CurrentRunProgress()
{
    return g_run ? g_run->dialog.data() : nullptr;
}

void RunWithProgress(QWidget* window, const std::function<void(const std::function<void(const QString&)>&)>& run)
{
    auto setStatus = [](const QString& text) {
        if (!g_run)
            return;
        g_run->status = text;
        if (g_run->dialog)
            g_run->dialog->SetStatus(text);
        pump(false);
    };
    if (g_run) {
        // A run inside a run (a dialog of the run started one): the outer
        // one's window serves.
        run(setStatus);
        return;
    }
    TRunState state;
    state.window = window;
    state.clock.start();
    g_run = &state;
    QWidget* top = window ? window->window() : nullptr;
    auto* blocker = new TCloseBlocker(top);
    if (top)
        top->installEventFilter(blocker);
    SetDbProgressHook([] { return pump(false); });
    auto finish = [&] {
        SetDbProgressHook({});
        delete blocker;
        if (state.dialog) {
            state.dialog->hide();
            state.dialog->deleteLater();
        }
        g_run = nullptr;
    };
    std::exception_ptr failure;
    try {
        run(setStatus);
    } catch (...) {
        failure = std::current_exception();
    }
    const bool wasCancelled = cancelled();
    finish();
    if (wasCancelled)
        throw EMxAbort(Translate(QStringLiteral("Abandon par l'utilisateur")));
    if (failure)
        std::rethrow_exception(failure);
}

void RunQueryWithProgress(QWidget* window, TMxQuery& query, const std::function<void()>& run)
{
    RunWithProgress(window, [&](const std::function<void(const QString&)>& setStatus) {
        struct TSaved {
            TMxQueryStep* step;
            std::weak_ptr<const void> alive;
            std::function<void(const QString&)> former;
        };
        std::vector<TSaved> saved;
        for (int i = 0; i < query.Steps()->Count(); ++i) {
            TMxQueryStep* step = query.Steps()->Items(i);
            saved.push_back({step, step->LifeToken(), step->OnProgress});
            step->OnProgress = setStatus;
        }
        auto restore = [&] {
            // Steps the run freed are not touched: their life token tells
            // (a new step may have been given a freed one's address).
            for (TSaved& s : saved)
                if (!s.alive.expired())
                    s.step->OnProgress = s.former;
        };
        try {
            run();
        } catch (...) {
            restore();
            throw;
        }
        restore();
    });
}

} // namespace mx::ui

#include "runprogress.moc"

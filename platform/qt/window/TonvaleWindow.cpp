#include "platform/qt/window/TonvaleWindow.h"

#include "platform/qt/window/AboutDlg.h"
#include "platform/qt/window/DialogLayout.h"
#if TONVALE_RECORDING
#include "platform/qt/window/RecordDlg.h"
#endif
#include "platform/qt/window/QtText.h"
#include "platform/qt/window/ReportModel.h"
#include "platform/qt/window/TapeView.h"
#include "platform/qt/window/TonvaleIcon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

namespace tonvale {

namespace {

// The dialog template: its client area and each control's place, in dialog units.
const QSize kTemplateSize(313, 214);

using A = CDialogLayout;
constexpr int kBottomLeft = A::Left | A::Bottom;
constexpr int kBottomRight = A::Right | A::Bottom;
constexpr int kBottomWide = A::Left | A::Right | A::Bottom;
constexpr int kEverySide = A::Left | A::Top | A::Right | A::Bottom;

std::vector<std::string> LocalFiles(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) paths.push_back(ToLocalPath(url.toLocalFile()));
    }
    return paths;
}

} // namespace

CTonvaleWindow::CTonvaleWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setWindowIcon(TonvaleIcon());
    setWindowTitle(QString::fromLatin1(kWindowTitle.data(), kWindowTitle.size()));
    setAcceptDrops(true);
    BuildControls();
    m_dlg.OnStart();
    m_model->Flush();
}

CTonvaleWindow::~CTonvaleWindow() {
    m_dlg.StopSoundAndFreeImage();
}

void CTonvaleWindow::BuildControls() {
    auto* layout = new CDialogLayout(this, kTemplateSize);
    auto button = [&](const char* text, QRect place, int anchors) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setAutoDefault(true);
        layout->AddControl(b, place, anchors);
        return b;
    };
    auto checkBox = [&](const char* text, QRect place) {
        auto* box = new QCheckBox(QString::fromLatin1(text), this);
        layout->AddControl(box, place, kBottomLeft);
        return box;
    };
    auto statusLine = [&](QRect place) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        layout->AddControl(label, place, kBottomWide);
        return label;
    };

    // In the template's order, which is also the order of the Tab key.
    m_openNew = button("&Open new", QRect(5, 143, 50, 14), kBottomLeft);
    m_play = button("&Play", QRect(5, 160, 50, 14), kBottomLeft);
    m_play->setDefault(true);
    m_exit = button("&Exit", QRect(258, 194, 50, 14), kBottomRight);
#if TONVALE_RECORDING
    m_record = button("&Record", QRect(5, 177, 50, 14), kBottomLeft);
    connect(m_record, &QPushButton::clicked, this, &CTonvaleWindow::OnRecord);
#endif

    m_model = std::make_unique<CReportModel>(m_dlg);
    m_reportView = new QListView(this);
    m_reportView->setModel(m_model.get());
    m_reportView->setItemDelegate(new CReportLineDelegate(m_reportView));
    m_reportView->setUniformItemSizes(true);
    m_reportView->setTextElideMode(Qt::ElideNone);
    m_reportView->setWordWrap(false);
    // One line at a time, for the tape view to show its bytes.
    m_reportView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_reportView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_reportView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_reportView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_reportView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_reportView->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_reportView->setAcceptDrops(false);
    m_reportView->viewport()->setAcceptDrops(false);
    layout->AddControl(m_reportView, QRect(5, 5, 303, 124), kEverySide);

    m_autoplay = checkBox("&Autoplay", QRect(89, 131, 80, 10));
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    layout->AddControl(m_progress, QRect(5, 194, 249, 14), kBottomWide);
    m_fileLine = statusLine(QRect(59, 144, 195, 8));
    m_durationLine = statusLine(QRect(59, 155, 195, 8));
    m_summaryLine = statusLine(QRect(59, 166, 195, 8));
    auto* machines = new QLabel(QStringLiteral("TRS-80 I/III/4"), this);
    layout->AddControl(machines, QRect(5, 131, 74, 8), kBottomLeft);
    m_save = button("&Save", QRect(258, 146, 50, 14), kBottomRight);
    m_saveWav = button("Save &Wav", QRect(258, 162, 50, 14), kBottomRight);
    m_saveCas = button("Save &CAS", QRect(258, 178, 50, 14), kBottomRight);
    m_about = button("&About", QRect(258, 130, 50, 14), kBottomRight);
    m_lnw = checkBox("&LNW 1kHz", QRect(174, 131, 80, 10));
    // Below the template's own controls, last in the Tab order.
    m_tapeViewButton = button("&Tape view", QRect(5, 177, 50, 14), kBottomLeft);

    connect(m_openNew, &QPushButton::clicked, this, &CTonvaleWindow::OnOpenNew);
    connect(m_play, &QPushButton::clicked, this, &CTonvaleWindow::OnPlay);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_about, &QPushButton::clicked, this, &CTonvaleWindow::OnAbout);
    connect(m_save, &QPushButton::clicked, this, &CTonvaleWindow::OnSave);
    connect(m_saveWav, &QPushButton::clicked, this, &CTonvaleWindow::OnSaveWav);
    connect(m_saveCas, &QPushButton::clicked, this, &CTonvaleWindow::OnSaveCas);
    connect(m_lnw, &QCheckBox::clicked, this, &CTonvaleWindow::OnLnw);
    connect(m_tapeViewButton, &QPushButton::clicked, this, &CTonvaleWindow::OnTapeView);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this), &QShortcut::activated, this,
            &CTonvaleWindow::OnTapeView);
    connect(m_reportView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowLineBytes(current.row()); });
    m_play->setFocus();
}

QWidget* CTonvaleWindow::Control(ControlId id) const {
    switch (id) {
    case ControlId::Play:
        return m_play;
    case ControlId::Exit:
        return m_exit;
    case ControlId::OpenNew:
        return m_openNew;
    case ControlId::About:
        return m_about;
    case ControlId::Save:
        return m_save;
    case ControlId::SaveWav:
        return m_saveWav;
    case ControlId::SaveCas:
        return m_saveCas;
    case ControlId::Report:
        return m_reportView;
    case ControlId::Autoplay:
        return m_autoplay;
    case ControlId::Progress:
        return m_progress;
    case ControlId::FileLine:
        return m_fileLine;
    case ControlId::DurationLine:
        return m_durationLine;
    case ControlId::SummaryLine:
        return m_summaryLine;
    case ControlId::Lnw:
        return m_lnw;
    }
    return nullptr;
}

void CTonvaleWindow::ApplyReportFont() {
    m_reportFont = ChooseReportFont();
    m_reportView->setFont(m_reportFont.font);
    m_model->SetSymbolPage(m_reportFont.symbolPage);
    m_model->SetRowHeight(QFontMetrics(m_reportFont.font).height());
}

void CTonvaleWindow::OnProgressTick(unsigned id) {
    m_dlg.OnProgressTick(id);
    m_model->Flush();
}

// --- The command-line argument ---------------------------------------------------------------

void CTonvaleWindow::PostCommandLine(const std::string& argument) {
    m_pendingArgument = argument;
    update();
}

void CTonvaleWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_pendingArgument) return;
    // After this paint has reached the screen.
    QMetaObject::invokeMethod(
        this, [this, argument = *m_pendingArgument] { OpenCommandLine(argument); },
        Qt::QueuedConnection);
    m_pendingArgument.reset();
}

void CTonvaleWindow::OpenCommandLine(const std::string& argument) {
    // The system has split the command line into arguments already: this one is the name.
    RunCommand([&] { m_dlg.OnOpenCommandLine(argument); });
}

// --- Commands --------------------------------------------------------------------------------

template <class Command> bool CTonvaleWindow::RunCommand(Command command) {
    if (m_busy) return false;
    m_busy = true;
    command();
    m_busy = false;
    m_model->Flush();
    if (m_tapeView) m_tapeView->Refresh();
    if (m_soundEnded) {
        const bool failed = *m_soundEnded;
        m_soundEnded.reset();
        SoundEnded(failed);
    }
    return true;
}

void CTonvaleWindow::SoundEnded(bool failed) {
    // A failure outweighs an end that came before it.
    if (m_busy)
        m_soundEnded = failed || m_soundEnded.value_or(false);
    else
        RunCommand([&] { m_dlg.OnSoundEnded(failed); });
}

void CTonvaleWindow::OnOpenNew() {
    RunCommand([&] { m_dlg.OnOpenNew(); });
}

void CTonvaleWindow::OnPlay() {
    RunCommand([&] { m_dlg.OnPlay(); });
}

void CTonvaleWindow::OnAbout() {
    RunCommand([&] {
        CAboutDlg about(this);
        about.exec();
    });
}

#if TONVALE_RECORDING
// Records, then opens the recording: the report and "Save CAS" show what the rescue made of it,
// the tape the recording dialog has saved beside it.
void CTonvaleWindow::OnRecord() {
    RunCommand([&] {
        CRecordDlg record(this);
        // An open tape view follows the recording while it is made.
        connect(&record, &CRecordDlg::liveTapeChanged, this, [this](const LiveTape& tape) {
            if (m_tapeView) m_tapeView->FollowLive(&tape);
        });
        record.exec();
        if (m_tapeView) m_tapeView->FollowLive(nullptr);
        if (!record.Recording().empty()) m_dlg.OpenTape(record.Recording());
    });
}
#endif

void CTonvaleWindow::OnSave() {
    RunCommand([&] { m_dlg.OnSave(); });
}

void CTonvaleWindow::OnSaveWav() {
    RunCommand([&] { m_dlg.OnSaveWav(); });
}

void CTonvaleWindow::OnSaveCas() {
    RunCommand([&] { m_dlg.OnSaveCas(); });
}

void CTonvaleWindow::OnLnw() {
    // The box has toggled itself already; a refused click takes the toggle back.
    if (!RunCommand([&] { m_dlg.OnLnwToggled(); })) m_lnw->setChecked(!m_lnw->isChecked());
}

void CTonvaleWindow::OnDrop(const std::vector<std::string>& paths) {
    RunCommand([&] { m_dlg.OnDropFiles(paths); });
}

// A window of its own beside this one, which goes on working; it keeps its size and place
// while the program runs.
void CTonvaleWindow::OnTapeView() {
    if (!m_tapeView) {
        m_tapeView = std::make_unique<CTapeView>(m_dlg);
        m_tapeView->setWindowIcon(windowIcon());
        connect(m_tapeView.get(), &CTapeView::LineChosen, this, &CTonvaleWindow::PickLine);
        ShowLineBytes(m_reportView->currentIndex().row());
    }
    m_tapeView->Refresh();
    m_tapeView->show();
    m_tapeView->raise();
    m_tapeView->activateWindow();
}

void CTonvaleWindow::ShowLineBytes(int row) {
    if (!m_tapeView) return;
    const ReportLinks* links = m_dlg.Links();
    m_tapeView->ShowBytes(links && row >= 0 ? links->BytesOf(static_cast<std::size_t>(row))
                                            : std::nullopt);
}

void CTonvaleWindow::PickLine(std::size_t line) {
    m_model->Flush();
    const QModelIndex index = m_model->index(static_cast<int>(line), 0);
    if (!index.isValid()) return;
    m_reportView->setCurrentIndex(index);
    m_reportView->scrollTo(index);
}

// --- Events ----------------------------------------------------------------------------------

void CTonvaleWindow::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused button takes Enter itself; anywhere else it is the default button's.
            if (m_play->isEnabled()) m_play->click();
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void CTonvaleWindow::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    // The sound output may still read the WAV image: stop it before anything is freed.
    m_dlg.StopSoundAndFreeImage();
    if (m_tapeView) m_tapeView->close();
    event->accept();
}

void CTonvaleWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CTonvaleWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = LocalFiles(event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    OnDrop(paths);
}

} // namespace tonvale

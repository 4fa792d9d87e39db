#include "console/report_window.h"

#include "console/report_renderer.h"
#include "startup/station_context.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QStatusBar>
#include <QToolBar>

namespace vorlane {

namespace {

constexpr const char *kErrorTitle = "Vorlane Error Information";

QAction *addReportAction(
    QMenu *menu, QToolBar *bar, const char *name, const QString &text, const QKeySequence &shortcut)
{
    auto *action = new QAction(text, menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    bar->addAction(action);
    return action;
}

} // namespace

ReportWindow::ReportWindow(StationContext &context, ReportDocument document, const QString &name,
    const QString &caption, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_context(context)
    , m_document(std::move(document))
    , m_printer(std::make_unique<QPrinter>())
{
    setObjectName(name);
    setWindowTitle(caption);
    m_printer->setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    m_printer->setDocName(caption);

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setAccessibleName(caption);
    m_preview->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(m_preview);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
        [this](QPrinter *printer) { ReportRenderer(m_document).render(printer); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportWindow::showPageNumber);

    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    statusBar()->addWidget(m_pageLabel);
    buildActions();
    resize(900, 760);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::buildActions()
{
    QToolBar *bar = addToolBar(QStringLiteral("Report"));
    bar->setObjectName(QStringLiteral("tbReport"));
    bar->setMovable(false);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *print = addReportAction(file, bar, "mnuPrint", QStringLiteral("&Print..."), QKeySequence::Print);
    QAction *pdf = addReportAction(file, bar, "mnuExportPdf", QStringLiteral("Export to P&DF..."),
        QKeySequence(QStringLiteral("Ctrl+D")));
    QAction *csv = addReportAction(file, bar, "mnuExportCsv", QStringLiteral("Export to &CSV..."),
        QKeySequence(QStringLiteral("Ctrl+E")));
    file->addSeparator();
    bar->addSeparator();
    QAction *close = file->addAction(QStringLiteral("C&lose"));
    close->setObjectName(QStringLiteral("mnuCloseReport"));
    close->setShortcuts({ QKeySequence::Close, QKeySequence(Qt::Key_Escape) });

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction *first = addReportAction(
        view, bar, "mnuFirstPage", QStringLiteral("&First Page"), QKeySequence(Qt::Key_Home));
    QAction *previous = addReportAction(
        view, bar, "mnuPreviousPage", QStringLiteral("Pre&vious Page"), QKeySequence(Qt::Key_PageUp));
    QAction *next = addReportAction(
        view, bar, "mnuNextPage", QStringLiteral("&Next Page"), QKeySequence(Qt::Key_PageDown));
    QAction *last
        = addReportAction(view, bar, "mnuLastPage", QStringLiteral("&Last Page"), QKeySequence(Qt::Key_End));
    view->addSeparator();
    bar->addSeparator();
    QAction *zoomIn
        = addReportAction(view, bar, "mnuZoomIn", QStringLiteral("Zoom &In"), QKeySequence::ZoomIn);
    QAction *zoomOut
        = addReportAction(view, bar, "mnuZoomOut", QStringLiteral("Zoom &Out"), QKeySequence::ZoomOut);
    QAction *fitWidth = addReportAction(
        view, bar, "mnuFitWidth", QStringLiteral("Fit &Width"), QKeySequence(QStringLiteral("Ctrl+1")));
    QAction *fitPage = addReportAction(
        view, bar, "mnuFitPage", QStringLiteral("Fit &Page"), QKeySequence(QStringLiteral("Ctrl+2")));

    connect(print, &QAction::triggered, this, &ReportWindow::printReport);
    connect(pdf, &QAction::triggered, this, &ReportWindow::chooseAndExportPdf);
    connect(csv, &QAction::triggered, this, &ReportWindow::chooseAndExportCsv);
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(first, &QAction::triggered, this, [this] { m_preview->setCurrentPage(1); });
    connect(previous, &QAction::triggered, this,
        [this] { m_preview->setCurrentPage(m_preview->currentPage() - 1); });
    connect(
        next, &QAction::triggered, this, [this] { m_preview->setCurrentPage(m_preview->currentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    connect(zoomIn, &QAction::triggered, m_preview, [this] { m_preview->zoomIn(); });
    connect(zoomOut, &QAction::triggered, m_preview, [this] { m_preview->zoomOut(); });
    connect(fitWidth, &QAction::triggered, m_preview, &QPrintPreviewWidget::fitToWidth);
    connect(fitPage, &QAction::triggered, m_preview, &QPrintPreviewWidget::fitInView);
    for (QAction *action : { first, previous, next, last })
        connect(action, &QAction::triggered, this, &ReportWindow::showPageNumber);
}

int ReportWindow::pageCount() const
{
    return m_preview->pageCount();
}

int ReportWindow::currentPage() const
{
    return m_preview->currentPage();
}

void ReportWindow::showPageNumber()
{
    m_pageLabel->setText(
        QStringLiteral("Page %1 of %2").arg(m_preview->currentPage()).arg(m_preview->pageCount()));
}

void ReportWindow::showError(const QString &text)
{
    m_context.prompter().inform(text, MessageIcon::Exclamation, QString::fromLatin1(kErrorTitle));
}

bool ReportWindow::exportPdf(const QString &path)
{
    // Written beside the target and renamed at the end, so a failed export
    // never leaves a half-written file in place of an earlier one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        showError(QStringLiteral("The file %1 could not be written: %2").arg(path, file.errorString()));
        return false;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(m_printer->pageLayout());
        writer.setTitle(windowTitle());
        writer.setCreator(QStringLiteral("Vorlane"));
        pages = ReportRenderer(m_document).render(&writer);
    }
    if (pages == 0 || !file.commit()) {
        file.cancelWriting();
        showError(QStringLiteral("The file %1 could not be written: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool ReportWindow::exportCsv(const QString &path)
{
    QString error;
    if (saveReportCsv(m_document, path, &error))
        return true;
    showError(error);
    return false;
}

void ReportWindow::printReport()
{
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_preview->print();
}

void ReportWindow::chooseAndExportPdf()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export to PDF"),
        QDir::home().filePath(objectName() + QStringLiteral(".pdf")), QStringLiteral("PDF files (*.pdf)"));
    if (!path.isEmpty())
        exportPdf(path);
}

void ReportWindow::chooseAndExportCsv()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"),
        QDir::home().filePath(objectName() + QStringLiteral(".csv")), QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        exportCsv(path);
}

void ReportWindow::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_closed) {
        m_closed = true;
        Q_EMIT closed();
    }
}

} // namespace vorlane

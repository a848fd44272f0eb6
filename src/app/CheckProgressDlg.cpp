#include "app/CheckProgressDlg.h"

#include "platform/Version.h"

#include "ui_CheckProgressDlg.h"

CheckProgressDlg::CheckProgressDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CheckProgressDlg>())
{
    m_ui->setupUi(this);
    setWindowTitle(NelvoxCaption(tr("Checking Favorites")));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Over the main window only: the tray icon and its menu keep working.
    setWindowModality(Qt::WindowModal);
    connect(m_ui->btnStop, &QPushButton::clicked, this, &CheckProgressDlg::stopRequested);
}

CheckProgressDlg::~CheckProgressDlg() = default;

void CheckProgressDlg::setProgress(int done, int total)
{
    m_ui->label->setText(tr("Checking favorites: %1 of %2").arg(done).arg(total));
    m_ui->bar->setMaximum(std::max(total, 1));
    m_ui->bar->setValue(done);
}

QString CheckProgressDlg::text() const
{
    return m_ui->label->text();
}

void CheckProgressDlg::reject()
{
    emit stopRequested();
}

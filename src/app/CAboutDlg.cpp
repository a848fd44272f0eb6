// The About box: the program's name and version, its captions fitted to the desktop's font.
#include "app/CAboutDlg.h"

#include "platform/Version.h"
#include "widgets/CaptionFit.h"

#include "ui_CAboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->version->setText(tr("Nelvox Version %1").arg(QLatin1String(kVersionShort)));
    // A small tool window: caption and close box, no taskbar button.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_ui->icon->setPixmap(QPixmap(QStringLiteral(":/icons/nelvox-32.png")));
    connect(m_ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    FitCaptionsToFont(this);
}

CAboutDlg::~CAboutDlg() = default;

#include "client/dialogs/CDlgMsgBox.h"

#include "skin/CXButton.h"
#include "skin/CXStatic.h"
#include "skin/UiText.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 250;
constexpr int kBackground = 152;
constexpr int kConfirm = 150, kConfirmHover = 151;
constexpr int kYes = 163, kYesHover = 164;
constexpr int kNo = 165, kNoHover = 166;
const QRect kTextArea(64, 71, 390, 80);

} // namespace

CDlgMsgBox::CDlgMsgBox()
    : CXDialog(nullptr), m_textControl(new CXStatic(this)), m_yes(new CXButton(this)), m_no(new CXButton(this)) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("msgBox"));
    setAccessibleName(QStringLiteral("Halvren 메세지"));
    SetAlert(true);
    QFont boxFont(QStringLiteral("돋움"));
    boxFont.setPixelSize(18);
    setFont(boxFont);

    m_textControl->setObjectName(QStringLiteral("msgBoxText"));
    m_textControl->setAccessibleName(QStringLiteral("메시지"));
    m_textControl->setWordWrap(true);
    m_textControl->setTextFormat(Qt::PlainText);
    m_textControl->setGeometry(kTextArea);

    m_yes->setObjectName(QStringLiteral("msgBoxYes"));
    m_yes->setAccessibleName(QStringLiteral("확인"));
    m_no->setObjectName(QStringLiteral("msgBoxNo"));
    m_no->setAccessibleName(QStringLiteral("아니오"));
    connect(m_yes, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_no, &QPushButton::clicked, this, [this] { done(2); });
}

CDlgMsgBox::~CDlgMsgBox() = default;

void CDlgMsgBox::reject() {
    done(2);
}

int CDlgMsgBox::Show(const std::string& text, int mode) {
    m_text = text;
    m_mode = mode == kModeQuestion ? kModeQuestion : kModeNotice;
    Layout();
    return exec();
}

void CDlgMsgBox::Layout() {
    SetBackground(kBackground);
    setWindowTitle(QStringLiteral("Halvren 메세지"));
    setFixedSize(kWidth, kHeight);

    CentreOn(m_mainWindow);

    if (m_mode == kModeQuestion) {
        m_yes->move(113, 165);
        m_yes->SetBitmaps(kYesHover, CXButton::kMagenta, kYes, CXButton::kMagenta);
        m_yes->setAccessibleName(QStringLiteral("예"));
        m_no->move(253, 165);
        m_no->SetBitmaps(kNoHover, CXButton::kMagenta, kNo, CXButton::kMagenta);
        m_no->SizeToContent();
        m_no->show();
    } else {
        m_yes->move(187, 165);
        m_yes->SetBitmaps(kConfirmHover, CXButton::kMagenta, kConfirm, CXButton::kMagenta);
        m_yes->setAccessibleName(QStringLiteral("확인"));
        m_no->hide();
    }
    m_yes->SizeToContent();

    QString shown = ToUi(m_text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_textControl->setText(shown);
    // A screen reader reads the message itself, not a name standing in for it.
    m_textControl->setAccessibleName(shown.isEmpty() ? QStringLiteral("메시지") : shown);
    setAccessibleDescription(shown);
    // A text taller than the area keeps its first lines; the rest is cut at the bottom.
    const QRect needed = m_textControl->fontMetrics().boundingRect(QRect(0, 0, kTextArea.width(), 100000),
                                                                   Qt::TextWordWrap | Qt::AlignHCenter, shown);
    m_textControl->setAlignment(Qt::AlignHCenter |
                                (needed.height() > kTextArea.height() ? Qt::AlignTop : Qt::AlignVCenter));
}

void CDlgMsgBox::showEvent(QShowEvent* event) {
    CXDialog::showEvent(event);
    (m_mode == kModeQuestion ? m_no : m_yes)->setFocus(Qt::OtherFocusReason);
}

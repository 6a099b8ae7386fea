#include "client/dialogs/CDlgCallConfirm.h"

#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/CXSkinText.h"
#include "skin/CXTextEdit.h"
#include "skin/SkinResources.h"

#include <QLabel>
#include <vector>

namespace {

constexpr int kBackground = 169;
constexpr int kFirstPicture = 170; // fire; the other categories follow
constexpr int kYesHover = 164, kYes = 163, kYesSelected = 175;
constexpr int kNoHover = 166, kNo = 165, kNoSelected = 176;

struct FieldPlace {
    const char* objectName;
    const char* accessibleName;
    QRect where;
    const char* label; // the words in front of it, when it has its own
};

// In the order of CDlgCallConfirm::Field.
const FieldPlace kFieldPlaces[] = {
    {"confirmName", "신고자", QRect(164, 206, 250, 22), "신고자"},
    {"confirmSsnFront", "주민등록번호 앞자리", QRect(164, 241, 105, 22), "주민등록번호"},
    {"confirmSsnBack", "주민등록번호 뒷자리", QRect(308, 241, 105, 22), nullptr},
    {"confirmAddress", "주소", QRect(164, 276, 641, 22), "주소"},
    {"confirmHomePhone", "집 전화", QRect(164, 311, 250, 22), "집 전화"},
    {"confirmMobilePhone", "휴대전화", QRect(555, 311, 250, 22), "휴대전화"},
    {"confirmPlace", "사고 장소", QRect(164, 381, 641, 22), "사고 장소"},
};

} // namespace

CDlgCallConfirm::CDlgCallConfirm(QWidget* mainWindow)
    : CXDialog(nullptr), m_mainWindow(mainWindow), m_contents(new CXTextEdit(this)), m_picture(new QLabel(this)),
      m_yes(new CXButton(this)), m_no(new CXButton(this)) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("CDlgCallConfirm"));
    setWindowTitle(QStringLiteral("Halvren 신고확인"));
    setAccessibleName(QStringLiteral("신고 확인")); // the title the window shows
    SetBackground(kBackground);
    SetDraggable(true);
    setFixedSize(kWidth, kHeight);

    m_picture->setObjectName(QStringLiteral("confirmCategory"));
    m_picture->move(250, 70);
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[i];
        auto* field = new CXEdit(this);
        field->setObjectName(QString::fromLatin1(place.objectName));
        field->setAccessibleName(QString::fromUtf8(place.accessibleName));
        field->setGeometry(place.where);
        field->setReadOnly(true);
        // Read-only, but Tab reaches them, so that what is about to be sent can be read; the focus starts on yes.
        field->setFocusPolicy(Qt::TabFocus);
        m_fields[static_cast<size_t>(i)] = field;
    }
    m_fields[kSsnBack]->setEchoMode(QLineEdit::Password);
    m_contents->setObjectName(QStringLiteral("confirmContents"));
    m_contents->setAccessibleName(QStringLiteral("상황 설명"));
    m_contents->setGeometry(164, 416, 641, 99);
    m_contents->setReadOnly(true);
    m_contents->setFocusPolicy(Qt::TabFocus);
    m_contents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_yes->setObjectName(QStringLiteral("confirmYes"));
    m_yes->setAccessibleName(QStringLiteral("예"));
    m_yes->move(307, 544);
    m_yes->SetBitmaps(kYesHover, CXButton::kMagenta, kYes, CXButton::kMagenta, kYesSelected, CXButton::kMagenta);
    m_yes->SizeToContent();
    m_no->setObjectName(QStringLiteral("confirmNo"));
    m_no->setAccessibleName(QStringLiteral("아니오"));
    m_no->move(452, 544);
    m_no->SetBitmaps(kNoHover, CXButton::kMagenta, kNo, CXButton::kMagenta, kNoSelected, CXButton::kMagenta);
    m_no->SizeToContent();
    ReadInOrder();
    connect(m_yes, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_no, &QPushButton::clicked, this, [this] { done(2); });
}

CDlgCallConfirm::~CDlgCallConfirm() = default;

void CDlgCallConfirm::ReadInOrder() {
    // The words the background shows, and everything in the order it is read, top to bottom: the question
    // around the category's picture, the person, the report, the answers.
    const auto words = [this](const char* text, const QRect& where, QWidget* field = nullptr) {
        return new CXSkinText(this, QString::fromUtf8(text), where, field);
    };
    std::vector<QWidget*> order = {words("신고 유형", {40, 70, 200, 34}), m_picture,
                                   words("(으)로 아래와 같이 신고하시겠습니까?", {318, 70, 500, 34}),
                                   words("내용을 확인하시고 맞으면 [예]를 누르십시오.", {60, 118, 730, 24}),
                                   words("신고자 정보", {52, 170, 388, 26})};
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[i];
        CXEdit* field = m_fields[static_cast<size_t>(i)];
        if (i == kPlace) {
            order.push_back(words("신고 내용", {52, 345, 388, 26}));
        }
        if (place.label) {
            order.push_back(words(place.label, {place.where.left() - 174, place.where.top(), 160, 22}, field));
        }
        order.push_back(field);
    }
    order.push_back(words("상황 설명", {-10, 416, 160, 22}, m_contents));
    order.push_back(m_contents);
    order.push_back(m_yes);
    order.push_back(m_no);
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        w->raise();
        if (w->focusPolicy() != Qt::NoFocus) {
            if (previous) {
                setTabOrder(previous, w);
            }
            previous = w;
        }
    }
}

void CDlgCallConfirm::reject() {
    done(2);
}

int CDlgCallConfirm::Show(const std::string& name, const std::string& ssnFront, const std::string& ssnBack,
                          const std::string& address, const std::string& homePhone, const std::string& mobilePhone,
                          const std::string& place, const std::string& contents, int category) {
    CentreOn(m_mainWindow);

    const QPixmap picture = LoadResourceBitmap(kFirstPicture + category);
    m_picture->setPixmap(picture);
    m_picture->resize(picture.size());
    static constexpr const char* kCategoryNames[] = {"화재", "구급", "구조", "재난", "기타"};
    m_picture->setAccessibleName(category >= 0 && category < 5 ? QString::fromUtf8(kCategoryNames[category])
                                                               : QStringLiteral("신고 유형"));

    const std::string* texts[kFieldCount] = {&name, &ssnFront, &ssnBack, &address, &homePhone, &mobilePhone, &place};
    for (int i = 0; i < kFieldCount; ++i) {
        m_fields[static_cast<size_t>(i)]->SetCp949Text(*texts[i]);
        m_fields[static_cast<size_t>(i)]->setCursorPosition(0);
    }
    m_contents->SetCp949Text(contents);
    setAccessibleDescription(
        QStringLiteral("신고 유형 [%1] (으)로 아래와 같이 신고하시겠습니까? 내용을 확인하시고 맞으면 [예]를 "
                       "누르십시오.")
            .arg(m_picture->accessibleName()));
    return exec();
}

void CDlgCallConfirm::showEvent(QShowEvent* event) {
    CXDialog::showEvent(event);
    // Enter right away answers yes.
    m_yes->setFocus(Qt::OtherFocusReason);
}

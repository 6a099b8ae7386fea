#include "client/report/CDlg_SendCall.h"

#include "client/app/PageHost.h"
#include "client/app/Transaction.h"
#include "client/dialogs/CDlgCallConfirm.h"
#include "client/env/Environment.h"
#include "client/env/MachineIdentity.h"
#include "platform/Codec.h"
#include "protocol/Envelope.h"
#include "protocol/ReportMessage.h"
#include "protocol/TagReader.h"
#include "protocol/TextTrim.h"
#include "protocol/WorkCode.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/CXSkinText.h"
#include "skin/CXTextEdit.h"
#include "skin/CXTransparentStatic.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QTimer>

namespace {

const QColor kTabText(31, 91, 142);
const QColor kTabHoverText(0, 0, 0);
const QColor kTabSelectedText(255, 255, 243);

struct CategoryTab {
    const char* objectName;
    const char* accessibleName;
    int x;
    const char* hover;
    const char* normal;
    const char* selected;
    const char* tipKey;
};

// In the order of the categories: fire, medical, rescue, disaster, other.
constexpr CategoryTab kCategoryTabs[] = {
    {"tabFire", "화재", 109, "Tab_Fire_o.bmp", "Tab_Fire_n.bmp", "Tab_Fire_s.bmp", "SC_PAGE_BTN_FIRE"},
    {"tabEmergency", "구급", 278, "Tab_Emergency_o.bmp", "Tab_Emergency_n.bmp", "Tab_Emergency_s.bmp",
     "SC_PAGE_BTN_EMERGENCE"},
    {"tabRescue", "구조", 447, "Tab_Rescue_o.bmp", "Tab_Rescue_n.bmp", "Tab_Rescue_s.bmp", "SC_PAGE_BTN_RESCUE"},
    {"tabDisaster", "재난", 616, "Tab_Disaster_o.bmp", "Tab_Disaster_n.bmp", "Tab_Disaster_s.bmp",
     "SC_PAGE_BTN_DISASER"},
    {"tabEtc", "기타", 785, "Tab_Etc_o.bmp", "Tab_Etc_n.bmp", "Tab_Etc_s.bmp", "SC_PAGE_BTN_ETC"},
};

template <typename Control>
Control* Make(QWidget* parent, const char* objectName, const char* accessibleName, const QRect& where) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(QString::fromUtf8(accessibleName));
    control->setGeometry(where);
    return control;
}

CXEdit* PhonePart(QWidget* parent, const char* objectName, const char* accessibleName, int x, int y) {
    auto* edit = Make<CXEdit>(parent, objectName, accessibleName, QRect(x, y, 50, 22));
    edit->SetDigitsOnly(true);
    edit->SetByteLimit(4);
    return edit;
}

// The drop-down lists show one line; their list opens about 170 pixels high.
CXComboBox* DropDown(QWidget* parent, const char* objectName, const char* accessibleName, int x, int y, int width) {
    auto* list = Make<CXComboBox>(parent, objectName, accessibleName, QRect(x, y, width, 24));
    list->setMaxVisibleItems(8);
    return list;
}

CXTransparentStatic* Picture(QWidget* parent, SkinCatalogue& catalogue, const char* objectName,
                             const char* accessibleName, const char* file) {
    auto* picture = Make<CXTransparentStatic>(parent, objectName, accessibleName, QRect(120, 292, 0, 0));
    if (const QPixmap* bitmap = catalogue.GetImage(file)) {
        picture->setPixmap(*bitmap);
        picture->resize(bitmap->size());
    }
    return picture;
}

} // namespace

CDlg_SendCall::CDlg_SendCall(PageHost& host, QWidget* parent)
    : PageWidget(host, parent, "CDlg_SendCall", "SendCall_BG.bmp") {
    setAccessibleName(QStringLiteral("신고하기"));
}

void CDlg_SendCall::Build() {
    SkinCatalogue& catalogue = Host().Catalogue();
    Environment& env = Host().Env();

    // Created in the order the tab key walks through them.
    for (int i = 0; i < kMaxPersons; ++i) {
        auto* tab = new CXButton(this);
        tab->setObjectName(QStringLiteral("tabPerson%1").arg(i));
        tab->setAccessibleName(QStringLiteral("신고자 %1").arg(i + 1));
        CXButton::SetupTabButton(catalogue, *tab, 109 + 169 * i, 10, "SendCall_UserTab_o.bmp", "SendCall_UserTab_n.bmp",
                                 "SendCall_UserTab_s.bmp");
        tab->SetNormalTextColor(kTabText);
        tab->SetHoverTextColor(kTabHoverText);
        tab->SetSelectedTextColor(kTabSelectedText);
        tab->setAutoDefault(false);
        tab->hide();
        connect(tab, &QPushButton::clicked, this, [this, i] {
            SelectPerson(i);
            Touched();
        });
        m_personTabs[static_cast<size_t>(i)] = tab;
    }
    m_address = Make<CXEdit>(this, "editAddress", "주소", QRect(249, 76, 672, 22));
    m_address->setReadOnly(true);
    m_phones.tel1 = DropDown(this, "comboTel1", "집 전화 지역번호", 245, 106, 110);
    m_phones.tel2 = PhonePart(this, "editTel2", "집 전화 가운데 자리", 382, 110);
    m_phones.tel3 = PhonePart(this, "editTel3", "집 전화 끝 자리", 462, 110);
    m_phones.cell1 = DropDown(this, "comboCell1", "휴대전화 앞자리", 657, 106, 110);
    m_phones.cell2 = PhonePart(this, "editCell2", "휴대전화 가운데 자리", 794, 110);
    m_phones.cell3 = PhonePart(this, "editCell3", "휴대전화 끝 자리", 872, 110);
    m_caseNote = Make<CXTextEdit>(this, "editCaseNote", "참고 사항", QRect(249, 145, 674, 48));
    m_caseNote->setReadOnly(true);
    for (int i = 0; i < kCategoryCount; ++i) {
        const CategoryTab& layout = kCategoryTabs[i];
        auto* tab = new CXButton(this);
        tab->setObjectName(QString::fromLatin1(layout.objectName));
        tab->setAccessibleName(QString::fromUtf8(layout.accessibleName));
        CXButton::SetupTabButton(catalogue, *tab, layout.x, 222, layout.hover, layout.normal, layout.selected);
        tab->setAutoDefault(false);
        connect(tab, &QPushButton::clicked, this, [this, i] {
            ChooseCategory(i);
            Touched();
        });
        m_categoryTabs[static_cast<size_t>(i)] = tab;
    }
    m_patientPicture = Picture(this, catalogue, "picPatient", "환자 선택", "SendCall_Patient.bmp");
    m_typeSelectPicture = Picture(this, catalogue, "picTypeSelect", "위에서 신고 유형을 먼저 선택해 주십시오.",
                                  "SendCall_TypeSelect.bmp");
    m_patients = DropDown(this, "comboPatient", "환자", 245, 288, 271);
    m_place = Make<CXEdit>(this, "editPlace", "사고 장소", QRect(249, 328, 672, 22));
    m_place->SetByteLimit(50);
    m_detail = Make<CXTextEdit>(this, "editDetail", "상황 설명", QRect(249, 358, 674, 76));
    m_detail->SetByteLimit(2000);
    m_send = new CXButton(this);
    m_send->setObjectName(QStringLiteral("btnSend"));
    m_send->setAccessibleName(QStringLiteral("신고하기"));
    m_send->move(379, 459);
    m_send->SetBitmaps(catalogue.GetImage("btn_call_o.bmp"), CXButton::kMagenta, catalogue.GetImage("btn_call.bmp"),
                       CXButton::kMagenta);
    m_send->SizeToContent();
    m_send->setAutoDefault(false);
    connect(m_send, &QPushButton::clicked, this, &CDlg_SendCall::Send);
    // The words the background shows, tied to their fields.
    new CXSkinText(this, QStringLiteral("주소"), {76, 76, 160, 22}, m_address);
    new CXSkinText(this, QStringLiteral("집 전화"), {76, 110, 160, 22}, m_phones.tel1);
    new CXSkinText(this, QStringLiteral("휴대전화"), {488, 110, 160, 22}, m_phones.cell1);
    new CXSkinText(this, QStringLiteral("참고 사항"), {76, 145, 160, 22}, m_caseNote);
    (new CXSkinText(this, QStringLiteral("신고 유형"), {52, 196, 388, 26}))->ReadBefore(m_categoryTabs[0]);
    new CXSkinText(this, QStringLiteral("사고 장소"), {76, 328, 160, 22}, m_place);
    new CXSkinText(this, QStringLiteral("상황 설명"), {76, 358, 160, 22}, m_detail);
    m_patientPicture->setBuddy(m_patients);
    m_patientPicture->stackUnder(m_patients);
    // Arrow keys only look through the patients; the choice is made when the list closes, on Enter, or when
    // the focus leaves it. The closing is seen on the list's popup; the choice is in place right after.
    m_patients->view()->window()->installEventFilter(this);
    // What the user does to the report reaches the draft file.
    connect(m_place, &QLineEdit::textEdited, this, &CDlg_SendCall::Touched);
    connect(m_detail, &QPlainTextEdit::textChanged, this, &CDlg_SendCall::Touched);
    for (CXEdit* part : {m_phones.tel2, m_phones.tel3, m_phones.cell2, m_phones.cell3}) {
        connect(part, &QLineEdit::textEdited, this, &CDlg_SendCall::Touched);
    }
    for (CXComboBox* list : {m_phones.tel1, m_phones.cell1}) {
        connect(list, &QComboBox::activated, this, &CDlg_SendCall::Touched);
    }

    m_phones.FillLists(env);
    m_localIp = GetLocalIp();
    m_patientPicture->hide();
    m_patients->hide();
    ShowPlaceAndDetail(false);

    MoveOnWithReturn({m_place, m_patients});
    PressWithReturn(m_send);
    InitToolTips();
    for (CXButton* tab : m_personTabs) {
        AddTip(tab, "SC_PAGE_BTN_USER");
    }
    for (int i = 0; i < kCategoryCount; ++i) {
        AddTip(m_categoryTabs[static_cast<size_t>(i)], kCategoryTabs[i].tipKey);
    }
    AddTip(m_send, "SC_PAGE_BTN_SEND");
    AddTip(m_address, "SC_PAGE_EDT_ADDRESS");
    AddTips(m_phones);
    AddTip(m_caseNote, "SC_PAGE_EDT_CASE");
    AddTip(m_place, "SC_PAGE_EDT_PLACE");
    AddTip(m_detail, "SC_PAGE_EDT_DETAIL");
}

void CDlg_SendCall::showEvent(QShowEvent* event) {
    PageWidget::showEvent(event);
    Refresh();
}

Person* CDlg_SendCall::SelectedPerson() {
    const std::string& key = Host().Env().Selection().SelectedPersonKey();
    if (key.empty()) {
        return nullptr;
    }
    std::unique_ptr<Person>* entry = Host().Env().PersonMap().Find(key);
    return entry ? entry->get() : nullptr;
}

void CDlg_SendCall::ShowPlaceAndDetail(bool shown) {
    m_place->setVisible(shown);
    m_detail->setVisible(shown);
    m_typeSelectPicture->setVisible(!shown);
}

void CDlg_SendCall::Refresh() {
    Environment& env = Host().Env();
    UseNativeInput(m_place);
    UseNativeInput(m_detail);

    const std::string selectedKey = env.Selection().SelectedPersonKey();
    const std::string patientKey = env.Selection().PatientKey();
    m_personKeys.fill(std::string());
    for (CXButton* tab : m_personTabs) {
        tab->hide();
        tab->SetSelected(false);
    }
    for (CXButton* tab : m_categoryTabs) {
        tab->SetSelected(false);
    }
    m_patients->clear();

    // Never more tabs than there are: whatever the store holds, four persons at most.
    int selectedTab = -1;
    int patientPosition = -1;
    m_personCount = 0;
    for (const auto& entry : env.PersonMap()) {
        if (m_personCount == kMaxPersons) {
            break;
        }
        const size_t i = static_cast<size_t>(m_personCount);
        m_personKeys[i] = entry.key;
        m_personTabs[i]->setText(ToUi(entry.value->Name));
        m_personTabs[i]->setAccessibleName(m_personTabs[i]->text());
        m_personTabs[i]->show();
        m_patients->addItem(ToUi(entry.value->Name));
        if (entry.key == selectedKey) {
            selectedTab = m_personCount;
        }
        if (entry.key == patientKey) {
            patientPosition = m_personCount;
        }
        ++m_personCount;
    }
    m_patients->addItem(QStringLiteral("기타환자"));

    selectedTab = std::max(selectedTab, 0);
    m_personTabs[static_cast<size_t>(selectedTab)]->SetSelected(m_personCount > 0);
    env.Selection().SelectPerson(m_personKeys[static_cast<size_t>(selectedTab)]);
    if (patientPosition < 0 && patientKey.empty() && m_filled) {
        patientPosition = m_personCount; // "기타환자" stays chosen when the user comes back
    }
    patientPosition = std::max(patientPosition, 0);
    m_patients->setCurrentIndex(patientPosition);
    env.Selection().SetPatient(patientPosition < m_personCount ? m_personKeys[static_cast<size_t>(patientPosition)]
                                                               : "");

    if (env.Selection().ReportCategory() == Selection::kNoCategory) {
        ShowPlaceAndDetail(false);
        m_typeSelect = true;
    } else {
        m_categoryTabs[static_cast<size_t>(env.Selection().ReportCategory())]->SetSelected(true);
        if (m_typeSelect) {
            ShowPlaceAndDetail(true);
            m_typeSelect = false;
        }
    }
    const bool medical = env.Selection().ReportCategory() == Selection::kMedical;
    m_patients->setVisible(medical);
    m_patientPicture->setVisible(medical);

    if (m_filled && m_filledKey == env.Selection().SelectedPersonKey()) {
        // Back on the page for the same person: the report stays as it was; only what the user did not touch
        // follows the stored person, who may have been edited meanwhile.
        FillFromSelectedPerson(true);
        if (medical) {
            ReplaceSection(ComposePatientSection());
        }
    } else {
        FillFromSelectedPerson();
        ApplyCategory();
    }
    // The page starts on its first choice: the category, the one chosen or else the first.
    const bool chosen = env.Selection().ReportCategory() >= 0 && env.Selection().ReportCategory() < kCategoryCount;
    m_categoryTabs[chosen ? static_cast<size_t>(env.Selection().ReportCategory()) : 0]->setFocus(Qt::OtherFocusReason);
}

void CDlg_SendCall::FillFromSelectedPerson(bool keepTypedPhones) {
    const Person* person = SelectedPerson();
    if (!person) {
        return;
    }
    if (!m_filled || m_place->Cp949Text() == m_filledPlace) {
        m_place->SetCp949Text(person->Addr1);
    }
    m_address->SetCp949Text(person->Addr1 + " " + person->Addr2);
    m_address->setCursorPosition(0);
    const Phones stored = PhoneFields::Of(*person);
    Phones shown = stored;
    if (keepTypedPhones && m_filled) {
        const Phones now = m_phones.Shown();
        for (size_t i = 0; i < shown.size(); ++i) {
            if (now[i] != m_filledPhones[i]) {
                shown[i] = now[i];
            }
        }
    }
    m_phones.Show(shown);
    m_caseNote->SetCp949Text(person->CaseNote);
    m_filled = true;
    m_filledKey = Host().Env().Selection().SelectedPersonKey();
    m_filledPlace = person->Addr1;
    m_filledPhones = stored;
}

void CDlg_SendCall::SelectPerson(int index) {
    if (index < 0 || index >= m_personCount) {
        return;
    }
    Host().Env().Selection().SelectPerson(m_personKeys[static_cast<size_t>(index)]);
    for (int i = 0; i < kMaxPersons; ++i) {
        m_personTabs[static_cast<size_t>(i)]->SetSelected(i == index);
    }
    FillFromSelectedPerson();
}

void CDlg_SendCall::ChooseCategory(int category) {
    if (category < 0 || category >= kCategoryCount) {
        return;
    }
    Environment& env = Host().Env();
    if (m_typeSelect) {
        ShowPlaceAndDetail(true);
        m_typeSelect = false;
    }
    env.Selection().SetCategory(category);
    const bool medical = category == Selection::kMedical;
    m_patientPicture->setVisible(medical);
    m_patients->setVisible(medical);
    for (int i = 0; i < kCategoryCount; ++i) {
        m_categoryTabs[static_cast<size_t>(i)]->SetSelected(i == category);
    }
    ApplyCategory();
}

void CDlg_SendCall::ApplyCategory() {
    Environment& env = Host().Env();
    m_reportTitle = ReportTitleFor(env.Selection().ReportCategory());
    if (env.Selection().ReportCategory() != Selection::kMedical) {
        PutSection(std::string());
        return;
    }
    env.Selection().SetPatient(env.Selection().SelectedPersonKey());
    for (int i = 0; i < m_personCount; ++i) {
        if (m_personKeys[static_cast<size_t>(i)] == env.Selection().PatientKey()) {
            m_patients->setCurrentIndex(i);
        }
    }
    PutSection(ComposePatientSection());
    m_patients->setFocus(Qt::OtherFocusReason);
}

void CDlg_SendCall::ChoosePatient() {
    Environment& env = Host().Env();
    const int position = m_patients->currentIndex();
    env.Selection().SetPatient(position >= 0 && position < m_personCount ? m_personKeys[static_cast<size_t>(position)]
                                                                         : "");
    ReplaceSection(ComposePatientSection());
}

int CDlg_SendCall::PatientPosition() const {
    const std::string& key = const_cast<CDlg_SendCall*>(this)->Host().Env().Selection().PatientKey();
    if (key.empty()) {
        return m_personCount; // "기타환자"
    }
    for (int i = 0; i < m_personCount; ++i) {
        if (m_personKeys[static_cast<size_t>(i)] == key) {
            return i;
        }
    }
    return -1;
}

void CDlg_SendCall::CommitPatient() {
    if (m_patients->isVisible() && m_patients->currentIndex() != PatientPosition()) {
        ChoosePatient();
        Touched();
    }
}

bool CDlg_SendCall::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_patients) {
        const auto type = event->type();
        if (type == QEvent::FocusOut) {
            CommitPatient();
        } else if (type == QEvent::KeyPress && !m_patients->view()->isVisible()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                CommitPatient();
            }
        }
    } else if (m_patients && watched == m_patients->view()->window() && event->type() == QEvent::Hide) {
        QTimer::singleShot(0, this, &CDlg_SendCall::CommitPatient);
    }
    return PageWidget::eventFilter(watched, event);
}

std::string CDlg_SendCall::ComposePatientSection() {
    const Environment& env = Host().Env();
    const std::unique_ptr<Person>* patient =
        env.Selection().PatientKey().empty() ? nullptr : env.PersonMap().Find(env.Selection().PatientKey());
    if (!patient) {
        return OtherPatientSection();
    }
    return PatientSection((*patient)->Ssn, (*patient)->CaseNote);
}

std::string CDlg_SendCall::UserWords() const {
    return WordsAfterSection(m_detail->Cp949Text(), m_section);
}

void CDlg_SendCall::ReplaceSection(const std::string& section) {
    if (section == m_section) {
        return; // the same section again: the detail stays exactly as the user left it
    }
    const std::string words = UserWords();
    m_section = section;
    m_detail->SetCp949Text(DetailWithSection(section, words));
    m_detail->moveCursor(QTextCursor::End);
}

void CDlg_SendCall::PutSection(const std::string& section) {
    ReplaceSection(section);
    m_detail->moveCursor(QTextCursor::End);
    m_place->setFocus(Qt::OtherFocusReason);
    m_place->selectAll();
}

void CDlg_SendCall::Touched() {
    m_taken = false;
    emit DraftChanged();
}

bool CDlg_SendCall::HoldsUserInput() const {
    if (!m_filled || m_taken) {
        return false;
    }
    return !TrimSpace(UserWords()).empty() || m_place->Cp949Text() != m_filledPlace ||
           m_phones.Shown() != m_filledPhones;
}

void CDlg_SendCall::WriteDraft(DraftValues& draft) const {
    if (!HoldsUserInput()) {
        return;
    }
    const Environment& env = const_cast<CDlg_SendCall*>(this)->Host().Env();
    draft["report.person"] = env.Selection().SelectedPersonKey();
    draft["report.category"] = std::to_string(env.Selection().ReportCategory());
    draft["report.patient"] = env.Selection().PatientKey();
    draft["report.place"] = m_place->Cp949Text();
    draft["report.detail"] = m_detail->Cp949Text();
    draft["report.section"] = m_section;
    m_phones.WriteDraft("report.", draft);
}

bool CDlg_SendCall::ReadDraft(const DraftValues& draft) {
    if (draft.count("report.detail") == 0) {
        return false;
    }
    Environment& env = Host().Env();
    env.Selection().SelectPerson(DraftValue(draft, "report.person"));
    const std::string category = DraftValue(draft, "report.category");
    env.Selection().SetCategory(category.size() == 1 ? category[0] - '0' : Selection::kNoCategory);
    // Laid out for the person as on a first showing, then everything of the draft put back over it.
    m_filled = false;
    Refresh();
    // The patient of the draft, where that is still someone stored (or 기타환자); else what the page chose.
    const std::string patient = DraftValue(draft, "report.patient");
    if (patient.empty() || env.PersonMap().Find(patient)) {
        env.Selection().SetPatient(patient);
    }
    m_patients->setCurrentIndex(std::max(PatientPosition(), 0));
    m_place->SetCp949Text(DraftValue(draft, "report.place"));
    m_phones.ReadDraft("report.", draft);
    m_section = DraftValue(draft, "report.section");
    m_detail->SetCp949Text(DraftValue(draft, "report.detail"));
    m_detail->moveCursor(QTextCursor::End);
    m_taken = false;
    m_filled = true; // kept even when nobody is stored to show it for yet
    return true;
}

void CDlg_SendCall::SettlePhoneChanges(Person& person) {
    Environment& env = Host().Env();
    const Phones shown = m_phones.Shown();
    // No: the report goes with the numbers shown, and the stored person stays as it is.
    if (shown == PhoneFields::Of(person) || Host().ShowQuestion(env.GetText("MESSAGE", "MSG_UserInfo_Changed")) != 1) {
        return;
    }
    PhoneFields::Store(shown, person);
    if (!env.SavePersons()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_UserInfo_ChangeFail"));
    }
    // What is stored now is what the page filled in.
    m_filledPhones = shown;
}

void CDlg_SendCall::Send() {
    // One report at a time: a second press while one is under way does nothing.
    if (m_sending) {
        return;
    }
    m_sending = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_sending};

    Environment& env = Host().Env();
    if (TrimSpace(m_place->Cp949Text()).empty()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_InputCheck_Place"));
        return;
    }
    if (TrimSpace(m_detail->Cp949Text()).empty()) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_InputCheck_Contents"));
        return;
    }
    Person* person = SelectedPerson();
    if (!person) {
        return;
    }
    SettlePhoneChanges(*person);
    const std::string& ssn = person->Ssn;
    CDlgCallConfirm confirm(window());
    const Phones phones = m_phones.Shown();
    const int answer =
        confirm.Show(person->Name, ssn.substr(0, 6), ssn.size() > 6 ? ssn.substr(6, 7) : std::string(),
                     m_address->Cp949Text(), JoinPhoneForDisplay(phones[0], phones[1], phones[2]),
                     JoinPhoneForDisplay(phones[3], phones[4], phones[5]), BracketFreeText(m_place->Cp949Text()),
                     BracketFreeText(m_detail->Cp949Text()), env.Selection().ReportCategory());
    if (answer != 1) {
        return;
    }
    if (SendReport() == 1) {
        // Taken: the draft file goes; the page keeps showing the report until the user changes something.
        m_taken = true;
        emit DraftChanged();
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_SendCall_Success"));
    }
}

int CDlg_SendCall::SendReport() {
    const Person* person = SelectedPerson();
    if (!person) {
        return 0;
    }
    ReportFields fields;
    fields.name = person->Name;
    fields.storedSsn = person->StoredSsn();
    fields.zip = person->Zip;
    fields.addr1 = person->Addr1;
    fields.addr2 = person->Addr2;
    // The phones to call back are those on the page, stored or not.
    const Phones phones = m_phones.Shown();
    fields.tel1 = phones[0];
    fields.tel2 = phones[1];
    fields.tel3 = phones[2];
    fields.cell1 = phones[3];
    fields.cell2 = phones[4];
    fields.cell3 = phones[5];
    fields.email = person->Email;
    fields.localIp = m_localIp;
    fields.place = m_place->Cp949Text();
    fields.detail = m_detail->Cp949Text();
    fields.title = m_reportTitle;
    Announce(QStringLiteral("신고를 보내고 있습니다."));
    const auto reply = RunTransaction(Host(), ReportRequest(fields), WorkCode::kReport, "MSG_SendCall_NetworkFailure",
                                      "MSG_SendCall_Refused");
    return reply ? CheckReportResult(*reply) : 0;
}

int CDlg_SendCall::CheckReportResult(const std::string& reply) {
    int position = 0;
    if (Host().Reader().GetTagValue(reply, "RESULT", position) == platform::Cp949Of("성공")) {
        return 1;
    }
    Host().ShowMessage(Host().Env().GetText("MESSAGE", "MSG_SendCall_Failure"));
    return 0;
}

#include "client/users/CDlg_UserInformation.h"

#include "client/app/PageHost.h"
#include "client/app/Transaction.h"
#include "client/dialogs/CDlgZip.h"
#include "client/env/Environment.h"
#include "protocol/Envelope.h"
#include "protocol/PostalCodeMessage.h"
#include "protocol/RealNameMessage.h"
#include "protocol/TagReader.h"
#include "protocol/TextTrim.h"
#include "protocol/WorkCode.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/CXSkinText.h"
#include "skin/CXTextEdit.h"

#include <memory>
#include <new>

namespace {

constexpr int kSsnFrontDigits = 6;
constexpr int kSsnBackDigits = 7;
constexpr int kPhonePartDigits = 4;

CXEdit* MakeEdit(QWidget* page, const char* name, const QString& accessible, const QRect& place, int byteLimit,
                 bool digitsOnly) {
    auto* edit = new CXEdit(page);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(accessible);
    edit->setGeometry(place);
    edit->SetByteLimit(byteLimit);
    edit->SetDigitsOnly(digitsOnly);
    return edit;
}

CXComboBox* MakeList(QWidget* page, const char* name, const QString& accessible, const QPoint& place) {
    auto* list = new CXComboBox(page);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(accessible);
    list->setGeometry(place.x(), place.y(), 110, 28);
    return list;
}

} // namespace

CDlg_UserInformation::CDlg_UserInformation(PageHost& host, QWidget* parent)
    : PageWidget(host, parent, "CDlg_UserInformation", "UserInfo_BG.bmp") {
    setAccessibleName(QStringLiteral("사용자 정보"));
}

void CDlg_UserInformation::Build() {
    QFont pageFont(QStringLiteral("돋움"));
    pageFont.setPixelSize(15);
    setFont(pageFont);

    // Created in the order the tab key walks them.
    m_name = MakeEdit(this, "editName", QStringLiteral("이름"), {225, 39, 674, 22}, kNameLimit, false);
    m_ssn1 =
        MakeEdit(this, "editSsn1", QStringLiteral("주민등록번호 앞자리"), {225, 90, 99, 22}, kSsnFrontDigits, true);
    m_ssn2 = MakeEdit(this, "editSsn2", QStringLiteral("주민등록번호 뒷자리"), {354, 90, 99, 22}, kSsnBackDigits, true);
    m_ssn2->setEchoMode(QLineEdit::Password);
    QFont masked = pageFont;
    masked.setPixelSize(12); // all seven dots fit the field
    m_ssn2->setFont(masked);
    m_zip = MakeEdit(this, "editZip", QStringLiteral("우편번호"), {225, 124, 230, 22}, 0, false);
    m_zip->setReadOnly(true);
    m_zip->setAlignment(Qt::AlignCenter);
    m_zipButton = AddButton("btnZip", QStringLiteral("우편번호 검색"), 528, 114, "btn_zip.bmp", "btn_zip_o.bmp");
    m_addr1 = MakeEdit(this, "editAddr1", QStringLiteral("주소"), {225, 176, 674, 22}, 0, false);
    m_addr1->setReadOnly(true);
    m_addr2 = MakeEdit(this, "editAddr2", QStringLiteral("상세 주소"), {225, 210, 674, 22}, kAddressLimit, false);
    m_phones.tel1 = MakeList(this, "comboTel1", QStringLiteral("집 전화 지역번호"), {221, 258});
    m_phones.tel2 =
        MakeEdit(this, "editTel2", QStringLiteral("집 전화 가운데 자리"), {354, 262, 99, 22}, kPhonePartDigits, true);
    m_phones.tel3 =
        MakeEdit(this, "editTel3", QStringLiteral("집 전화 끝 자리"), {483, 262, 99, 22}, kPhonePartDigits, true);
    m_phones.cell1 = MakeList(this, "comboCell1", QStringLiteral("휴대전화 앞자리"), {221, 292});
    m_phones.cell2 =
        MakeEdit(this, "editCell2", QStringLiteral("휴대전화 가운데 자리"), {354, 296, 99, 22}, kPhonePartDigits, true);
    m_phones.cell3 =
        MakeEdit(this, "editCell3", QStringLiteral("휴대전화 끝 자리"), {483, 296, 99, 22}, kPhonePartDigits, true);
    m_caseNote = new CXTextEdit(this);
    m_caseNote->setObjectName(QStringLiteral("editCaseNote"));
    m_caseNote->setAccessibleName(QStringLiteral("참고 사항"));
    m_caseNote->setGeometry(225, 330, 674, 60);
    m_caseNote->SetByteLimit(kCaseNoteLimit);
    m_back = AddButton("btnBack", QStringLiteral("이전"), 42, 466, "btn_back.bmp", "btn_back_o.bmp");
    m_clear = AddButton("btnInit", QStringLiteral("새로 입력"), 197, 466, "btn_first.bmp", "btn_first_o.bmp");
    m_save = AddButton("btnSave", QStringLiteral("저장"), 648, 466, "btn_ok.bmp", "btn_ok_o.bmp");
    m_delete = AddButton("btnDelete", QStringLiteral("삭제"), 803, 466, "btn_del.bmp", "btn_del_o.bmp");

    for (QWidget* field :
         {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_addr2), static_cast<QWidget*>(m_caseNote)}) {
        UseNativeInput(field);
    }
    MoveOnWithReturn({m_name, m_ssn1, m_ssn2, m_addr2, m_phones.tel1, m_phones.tel2, m_phones.tel3, m_phones.cell1,
                      m_phones.cell2, m_phones.cell3});
    m_phones.FillLists(Host().Env());

    // The words the background shows, tied to their fields.
    (new CXSkinText(this, QStringLiteral("사용자 정보"), {42, 8, 388, 26}))->ReadBefore(m_name);
    new CXSkinText(this, QStringLiteral("이름"), {50, 39, 160, 22}, m_name);
    new CXSkinText(this, QStringLiteral("주민등록번호"), {50, 90, 160, 22}, m_ssn1);
    new CXSkinText(this, QStringLiteral("우편번호"), {50, 124, 160, 22}, m_zip);
    new CXSkinText(this, QStringLiteral("주소"), {50, 176, 160, 22}, m_addr1);
    new CXSkinText(this, QStringLiteral("상세 주소"), {50, 210, 160, 22}, m_addr2);
    new CXSkinText(this, QStringLiteral("집 전화"), {50, 262, 160, 22}, m_phones.tel1);
    new CXSkinText(this, QStringLiteral("휴대전화"), {50, 296, 160, 22}, m_phones.cell1);
    new CXSkinText(this, QStringLiteral("참고 사항"), {50, 330, 160, 22}, m_caseNote);
    (new CXSkinText(this, QStringLiteral("병력, 복용 중인 약 등 출동에 도움이 되는 내용을 적어 주십시오."),
                    {225, 396, 674, 20}))
        ->ReadBefore(m_back);

    // Six digits complete the front part: the focus moves on, and digits typed or pasted past them follow it.
    HandleOverflowItself(m_ssn1);
    connect(m_ssn1, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() == kSsnFrontDigits && m_ssn1->cursorPosition() == kSsnFrontDigits) {
            MoveOnToBackNumber({});
        }
    });
    connect(m_ssn1, &CXEdit::Overflowed, this, &CDlg_UserInformation::MoveOnToBackNumber);
    // What the user does here reaches the draft file.
    for (CXEdit* edit : findChildren<CXEdit*>()) {
        connect(edit, &QLineEdit::textEdited, this, &PageWidget::DraftChanged);
    }
    connect(m_caseNote, &QPlainTextEdit::textChanged, this, &PageWidget::DraftChanged);
    connect(m_phones.tel1, &QComboBox::activated, this, &PageWidget::DraftChanged);
    connect(m_phones.cell1, &QComboBox::activated, this, &PageWidget::DraftChanged);
    connect(m_zipButton, &QPushButton::clicked, this, &CDlg_UserInformation::SearchPostalCode);
    connect(m_back, &QPushButton::clicked, this, [this] { Host().ChangePage(PageHost::kSelectUserPage); });
    connect(m_clear, &QPushButton::clicked, this, [this] {
        ClearFields();
        emit DraftChanged();
    });
    connect(m_save, &QPushButton::clicked, this, &CDlg_UserInformation::Save);
    connect(m_delete, &QPushButton::clicked, this, &CDlg_UserInformation::Delete);

    InitToolTips();
    AddTip(m_name, "EU_PAGE_EDT_NAME");
    AddTip(m_ssn1, "EU_PAGE_EDT_SSN1");
    AddTip(m_ssn2, "EU_PAGE_EDT_SSN2");
    AddTip(m_zip, "EU_PAGE_EDT_ZIP");
    AddTip(m_zipButton, "EU_PAGE_BTN_ZIP");
    AddTip(m_addr1, "EU_PAGE_EDT_ADD1");
    AddTip(m_addr2, "EU_PAGE_EDT_ADD2");
    AddTips(m_phones);
    AddTip(m_caseNote, "EU_PAGE_EDT_CASE");
    AddTip(m_back, "EU_PAGE_BTN_BACK");
    AddTip(m_clear, "EU_PAGE_BTN_INIT");
    AddTip(m_save, "EU_PAGE_BTN_SAVE");
    AddTip(m_delete, "EU_PAGE_BTN_DEL");
    ClearFields();
}

void CDlg_UserInformation::showEvent(QShowEvent* event) {
    PageWidget::showEvent(event);
    // Without a person under the selected key there is nothing to edit: the page registers a new one.
    const Person* person = SelectedPerson();
    m_registerMode = person ? 0 : 1;
    if (person) {
        FillFrom(*person);
    } else {
        ClearFields();
    }
    m_entered = FieldValues();
    if (m_registerMode == 1 && !m_restored.empty()) {
        ShowFieldValues(m_restored);
        m_restored.clear();
    }
    m_delete->setVisible(m_registerMode == 0);
    m_name->setFocus(Qt::OtherFocusReason);
}

namespace {
constexpr const char* kFieldNames[] = {"user.name", "user.ssn1", "user.ssn2", "user.zip", "user.addr1", "user.addr2"};
} // namespace

DraftValues CDlg_UserInformation::FieldValues() const {
    const CXEdit* edits[] = {m_name, m_ssn1, m_ssn2, m_zip, m_addr1, m_addr2};
    DraftValues values;
    for (size_t i = 0; i < std::size(edits); ++i) {
        values[kFieldNames[i]] = edits[i]->Cp949Text();
    }
    m_phones.WriteDraft("user.", values);
    values["user.case"] = m_caseNote->Cp949Text();
    return values;
}

void CDlg_UserInformation::ShowFieldValues(const DraftValues& values) {
    CXEdit* edits[] = {m_name, m_ssn1, m_ssn2, m_zip, m_addr1, m_addr2};
    for (size_t i = 0; i < std::size(edits); ++i) {
        edits[i]->SetCp949Text(DraftValue(values, kFieldNames[i]));
    }
    m_phones.ReadDraft("user.", values);
    m_caseNote->SetCp949Text(DraftValue(values, "user.case"));
}

bool CDlg_UserInformation::HasUnsavedInput() const {
    return !isHidden() && FieldValues() != m_entered;
}

void CDlg_UserInformation::DiscardUnsaved() {
    if (const Person* person = m_registerMode == 0 ? SelectedPerson() : nullptr) {
        FillFrom(*person);
    } else {
        ClearFields();
    }
}

void CDlg_UserInformation::WriteDraft(DraftValues& draft) const {
    // A registration brought back from the draft file stays in it until the page shows it again.
    if (!m_restored.empty()) {
        DraftValues restored = m_restored;
        draft.merge(restored);
        return;
    }
    // A registration is kept while it is being typed; an edit of a stored person is asked about instead.
    if (m_registerMode != 1 || !HasUnsavedInput()) {
        return;
    }
    draft.merge(FieldValues());
}

bool CDlg_UserInformation::ReadDraft(const DraftValues& draft) {
    if (draft.count("user.name") == 0) {
        return false;
    }
    m_restored.clear();
    for (const auto& [name, value] : draft) {
        if (name.starts_with("user.")) {
            m_restored[name] = value;
        }
    }
    return true;
}

void CDlg_UserInformation::MoveOnToBackNumber(const QString& typedOn) {
    m_ssn2->setFocus(Qt::OtherFocusReason);
    if (!typedOn.isEmpty() && m_ssn1->cursorPosition() == m_ssn1->text().size()) {
        m_ssn2->insert(typedOn);
    }
}

Person* CDlg_UserInformation::SelectedPerson() const {
    Environment& env = const_cast<CDlg_UserInformation*>(this)->Host().Env();
    if (env.Selection().SelectedPersonKey().empty()) {
        return nullptr;
    }
    std::unique_ptr<Person>* entry = env.PersonMap().Find(env.Selection().SelectedPersonKey());
    return entry ? entry->get() : nullptr;
}

void CDlg_UserInformation::FillFrom(const Person& person) {
    m_name->SetCp949Text(person.Name);
    m_ssn1->SetCp949Text(person.Ssn.substr(0, kSsnFrontDigits));
    m_ssn2->SetCp949Text(person.Ssn.size() > kSsnFrontDigits ? person.Ssn.substr(kSsnFrontDigits) : std::string());
    m_zip->SetCp949Text(ZipForDisplay(person.Zip));
    m_addr1->SetCp949Text(person.Addr1);
    m_addr2->SetCp949Text(person.Addr2);
    m_phones.Show(PhoneFields::Of(person));
    m_caseNote->SetCp949Text(person.CaseNote);
}

void CDlg_UserInformation::ClearFields() {
    for (CXEdit* edit : {m_name, m_ssn1, m_ssn2, m_zip, m_addr1, m_addr2}) {
        edit->clear();
    }
    m_caseNote->SetCp949Text({});
    m_phones.Show({});
    m_name->setFocus(Qt::OtherFocusReason);
}

std::string CDlg_UserInformation::Number() const {
    return m_ssn1->Cp949Text() + m_ssn2->Cp949Text();
}

void CDlg_UserInformation::ShowText(const char* messageKey) {
    Host().ShowMessage(Host().Env().GetText("MESSAGE", messageKey));
}

bool CDlg_UserInformation::Refuse(const char* messageKey, QWidget* focus) {
    ShowText(messageKey);
    focus->setFocus(Qt::OtherFocusReason);
    return false;
}

bool CDlg_UserInformation::CheckInput() {
    if (m_name->text().isEmpty()) {
        return Refuse("MSG_InputCheck_Name", m_name);
    }
    if (m_ssn1->text().size() != kSsnFrontDigits) {
        return Refuse("MSG_InputCheck_SSN", m_ssn1);
    }
    if (m_ssn2->text().size() != kSsnBackDigits) {
        return Refuse("MSG_InputCheck_SSN", m_ssn2);
    }
    // The number is the person's key: a second person under it would replace the first. Editing a person
    // under its own number is no clash.
    const Environment& env = Host().Env();
    const std::string number = Number();
    if ((m_registerMode == 1 || number != env.Selection().SelectedPersonKey()) && env.PersonMap().Contains(number)) {
        return Refuse("MSG_SSNCheck_Registed", m_ssn1);
    }
    if (m_zip->text().isEmpty()) {
        return Refuse("MSG_InputCheck_Zip", m_zipButton);
    }
    if (m_addr2->text().isEmpty()) {
        return Refuse("MSG_InputCheck_Address", m_addr2);
    }
    return true;
}

int CDlg_UserInformation::CheckRealName() {
    Environment& env = Host().Env();
    std::string request;
    try {
        const std::string name = TrimSpace(m_name->Cp949Text());
        const std::optional<std::string> enciphered = env.EncryptText(TrimSpace(Number()));
        // The digits themselves never travel: without their cipher text nothing is sent.
        if (!enciphered) {
            ShowText("MSG_UserRegist_Failure");
            return 0;
        }
        if (m_registerMode == 0) {
            const Person* person = SelectedPerson();
            if (person && *enciphered == person->StoredSsn() && name == person->Name) {
                return 1;
            }
        }
        request = RealNameRequest(name, *enciphered);
    } catch (const std::bad_alloc&) {
        ShowText("MSG_UserRegist_Failure");
        return 0;
    }
    const std::optional<std::string> reply = RunTransaction(Host(), request, WorkCode::kRealName);
    if (!reply) {
        return 0;
    }
    return ReadRealNameResult(*reply);
}

int CDlg_UserInformation::ReadRealNameResult(const std::string& reply) {
    int position = 0;
    const std::string refusal = RealNameRefusalKey(Host().Reader().GetTagValue(reply, "CHECKRESULT", position));
    if (refusal.empty()) {
        return 1;
    }
    ShowText(refusal.c_str());
    return 0;
}

void CDlg_UserInformation::Save() {
    Environment& env = Host().Env();
    // Four is all the pages and the person file hold: a fifth would be lost at the next start.
    if (m_registerMode == 1 && env.PersonCount() >= Environment::kMaxPersons) {
        ShowText("MSG_UserRegist_Full");
        return;
    }
    if (!CheckInput()) {
        return;
    }
    if (CheckRealName() == 0) {
        if (const Person* person = m_registerMode == 0 ? SelectedPerson() : nullptr) {
            FillFrom(*person);
        } else {
            m_name->clear();
            m_ssn1->clear();
            m_ssn2->clear();
        }
        m_name->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!StorePerson()) {
        ShowText("MSG_UserRegist_Failure");
        return;
    }
    const bool more = Host().ShowQuestion(env.GetText("MESSAGE", "MSG_UserRegist_Continue")) == 1;
    Host().ChangePage(more ? PageHost::kSelectUserPage : PageHost::kReportPage);
}

bool CDlg_UserInformation::StorePerson() {
    Environment& env = Host().Env();
    PersonMap& persons = env.PersonMap();
    const std::string number = Number();
    if (m_registerMode == 0 && !persons.Find(env.Selection().SelectedPersonKey())) {
        return false;
    }
    // A failed save puts the person back as stored: a half-changed person would send its new name with its old
    // number's cipher text. The page keeps what was typed, for the next try.
    return env.ChangePersons([&] {
        Person* person = nullptr;
        if (m_registerMode == 1) {
            auto fresh = std::make_unique<Person>();
            person = fresh.get();
            persons.Insert(number, std::move(fresh));
        } else {
            std::unique_ptr<Person>* entry = persons.Find(env.Selection().SelectedPersonKey());
            person = entry->get();
            // A changed number moves the person to its new key at once, so the map and the file agree.
            if (number != env.Selection().SelectedPersonKey()) {
                std::unique_ptr<Person> moved = std::move(*entry);
                persons.Remove(env.Selection().SelectedPersonKey());
                persons.Insert(number, std::move(moved));
                env.Selection().SelectPerson(number);
            }
        }
        person->Name = m_name->Cp949Text();
        person->Ssn = number;
        person->Zip = ZipFromDisplay(m_zip->Cp949Text());
        person->Addr1 = m_addr1->Cp949Text();
        person->Addr2 = BracketFreeText(m_addr2->Cp949Text());
        PhoneFields::Store(m_phones.Shown(), *person);
        person->CaseNote = BracketFreeText(m_caseNote->Cp949Text());
    });
}

void CDlg_UserInformation::Delete() {
    Environment& env = Host().Env();
    if (Host().ShowQuestion(env.GetText("MESSAGE", "MSG_UserDelete_Confirm")) != 1) {
        return;
    }
    env.PersonMap().Remove(env.Selection().SelectedPersonKey());
    env.Selection().ClearPerson();
    // The person is gone from memory; what the page still shows can only be registered anew.
    m_registerMode = 1;
    m_delete->hide();
    if (!env.SavePersons()) {
        ShowText("MSG_File_SaveError");
        return;
    }
    ShowText("MSG_UserDelete_Deleted");
    Host().ChangePage(PageHost::kSelectUserPage);
}

void CDlg_UserInformation::SearchPostalCode() {
    CDlgZip search(Host(), window());
    if (search.exec() != 1) {
        return;
    }
    m_zip->SetCp949Text(ZipForDisplay(search.ChosenZip()));
    m_addr1->SetCp949Text(search.ChosenAddress());
    m_addr2->setFocus(Qt::OtherFocusReason);
    emit DraftChanged();
}

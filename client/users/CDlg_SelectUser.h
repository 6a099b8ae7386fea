#pragma once

#include "client/app/PageWidget.h"

#include <array>
#include <string>

class CXButton;
class QLabel;

// The user selection page: one button per registered person and a button to register another; with nobody
// registered, a single registration button on a light-blue panel.
class CDlg_SelectUser : public PageWidget {
    Q_OBJECT
public:
    static constexpr int kPersonButtons = 4;

    CDlg_SelectUser(PageHost& host, QWidget* parent);

    // Rebuilds the buttons from the stored persons.
    void Refresh();

    CXButton* PersonButton(int i) const { return m_personButtons.at(static_cast<size_t>(i)); }
    CXButton* AddPersonButton() const { return m_addButton; }
    CXButton* RegistButton() const { return m_registButton; }
    QLabel* TitlePicture() const { return m_title; }
    const std::string& TitlePictureName() const { return m_titleName; }
    const std::string& PersonKey(int i) const { return m_personKeys.at(static_cast<size_t>(i)); }

    void DrawOverBackground(QPainter& painter) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OpenPerson(int i);
    void AddPerson();

    std::array<CXButton*, kPersonButtons> m_personButtons{};
    std::array<std::string, kPersonButtons> m_personKeys;
    CXButton* m_addButton = nullptr;
    CXButton* m_registButton = nullptr;
    QLabel* m_title = nullptr;
    std::string m_titleName;
};

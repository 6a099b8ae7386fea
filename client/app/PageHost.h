#pragma once

#include <string>

class Environment;
class HttpTransport;
class SkinCatalogue;
class TagReader;

// What a page may ask of the application: another page, the two prompts, and the shared services. Pages get
// a reference to it and never reach the application any other way.
class PageHost {
public:
    // The pages of the main window, by the number ChangePage takes.
    enum Page { kReportPage = 0, kSelectUserPage = 1, kUserInformationPage = 2, kHistoryPage = 3 };

    virtual ~PageHost() = default;

    virtual void ChangePage(int index) = 0;
    // Texts are code page 949. ShowMessage answers 1 when confirmed, else 0; ShowQuestion 1 when the user
    // agreed, else 0.
    virtual int ShowMessage(const std::string& text) = 0;
    virtual int ShowQuestion(const std::string& text) = 0;

    virtual Environment& Env() = 0;
    virtual SkinCatalogue& Catalogue() = 0;
    virtual HttpTransport& Transport() = 0;
    virtual const TagReader& Reader() const = 0;
};

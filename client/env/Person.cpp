#include "client/env/Person.h"

namespace {

constexpr std::array<std::string Person::*, Person::kFieldCount> kPlainFields = {
    &Person::Zip, &Person::Addr1,    &Person::Addr2, &Person::Tel1,  &Person::Tel2,  &Person::Tel3,  &Person::Name,
    &Person::Ssn, &Person::CaseNote, &Person::Cell1, &Person::Cell2, &Person::Cell3, &Person::Email, &Person::Reserved};

} // namespace

std::string& Person::Plain(Field field) {
    return this->*kPlainFields[field];
}

const std::string& Person::Plain(Field field) const {
    return this->*kPlainFields[field];
}

void Person::Clear() {
    for (int i = 0; i < kFieldCount; ++i) {
        Plain(static_cast<Field>(i)).clear();
        m_stored[i].clear();
    }
}

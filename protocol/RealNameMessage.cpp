#include "protocol/RealNameMessage.h"

#include "protocol/Envelope.h"
#include "protocol/TextTrim.h"

std::string RealNameRequest(const std::string& name, const std::string& encipheredSsn) {
    return "<VESK><WORK>004</WORK>" + TagField("NAME", name) + TagField("SSN", encipheredSsn) + "</VESK>";
}

std::string RealNameRefusalKey(const std::string& checkResult) {
    const std::string result = TrimSpace(checkResult);
    if (result == "1") {
        return {};
    }
    if (result == "2" || result == "3" || result == "4") {
        return "MSG_RealName_Mismatch";
    }
    return "MSG_RealName_SystemError";
}

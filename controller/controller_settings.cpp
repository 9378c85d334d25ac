#include "controller/controller_settings.h"

const char* ProtocolName(Protocol protocol) {
    return protocol == Protocol::Ssc32 ? "ssc32" : "maestro";
}

bool ProtocolNamed(const std::string& name, Protocol& protocol) {
    for (Protocol p : {Protocol::Ssc32, Protocol::Maestro}) {
        if (name == ProtocolName(p)) {
            protocol = p;
            return true;
        }
    }
    return false;
}

bool IsBaudRate(int baud) {
    for (int rate : kBaudRates) {
        if (baud == rate) return true;
    }
    return false;
}

int MaxChannel(Protocol protocol) {
    return protocol == Protocol::Ssc32 ? 31 : 23;
}

PulseLimits PulseLimitsOf(Protocol protocol) {
    return protocol == Protocol::Ssc32 ? PulseLimits{500, 2500} : PulseLimits{0, 4095};
}

#include "home/mosquitto_api.h"

#include <QLibrary>

namespace home::mq {

#define PELORA_MOSQUITTO_DEFINE(name) decltype(&::name) name = nullptr;
PELORA_MOSQUITTO_FUNCTIONS(PELORA_MOSQUITTO_DEFINE)
#undef PELORA_MOSQUITTO_DEFINE

bool load(QString *why)
{
    static QString failure;
    static const bool loaded = [] {
        static QLibrary lib(QStringLiteral("mosquitto"), 1);  // libmosquitto.so.1
        if (!lib.load()) {
            failure = QStringLiteral("libmosquitto is not installed (%1)").arg(lib.errorString());
            return false;
        }
        bool all = true;
#define PELORA_MOSQUITTO_RESOLVE(name)                                                        \
    name = reinterpret_cast<decltype(&::name)>(lib.resolve(#name));                           \
    if (!name) {                                                                              \
        failure = QStringLiteral("libmosquitto has no %1").arg(QLatin1String(#name));         \
        all = false;                                                                          \
    }
        PELORA_MOSQUITTO_FUNCTIONS(PELORA_MOSQUITTO_RESOLVE)
#undef PELORA_MOSQUITTO_RESOLVE
        if (all && mosquitto_lib_init() != MOSQ_ERR_SUCCESS) {
            failure = QStringLiteral("libmosquitto could not start");
            all = false;
        }
        return all;
    }();
    if (!loaded && why)
        *why = failure;
    return loaded;
}

}  // namespace home::mq

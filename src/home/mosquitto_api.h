#pragma once
// libmosquitto, loaded when the home network is first used rather than
// linked: linked, it and the TLS libraries it needs would be loaded at
// every start, MQTT or not (about 1.8 MB). The functions keep their names
// inside home::mq.

#include <mosquitto.h>

#include <QString>

namespace home::mq {

#define PELORA_MOSQUITTO_FUNCTIONS(X)                                                                         \
    X(mosquitto_lib_init) X(mosquitto_strerror) X(mosquitto_connack_string) X(mosquitto_new)                  \
    X(mosquitto_destroy) X(mosquitto_int_option) X(mosquitto_max_inflight_messages_set)                       \
    X(mosquitto_connect_callback_set) X(mosquitto_message_callback_set) X(mosquitto_log_callback_set)         \
    X(mosquitto_username_pw_set) X(mosquitto_will_set) X(mosquitto_tls_set) X(mosquitto_tls_opts_set)         \
    X(mosquitto_connect_async) X(mosquitto_reconnect_async) X(mosquitto_loop_read) X(mosquitto_loop_write)    \
    X(mosquitto_loop_misc) X(mosquitto_loop) X(mosquitto_socket) X(mosquitto_want_write) X(mosquitto_publish) \
    X(mosquitto_subscribe) X(mosquitto_disconnect)

#define PELORA_MOSQUITTO_DECLARE(name) extern decltype(&::name) name;
PELORA_MOSQUITTO_FUNCTIONS(PELORA_MOSQUITTO_DECLARE)
#undef PELORA_MOSQUITTO_DECLARE

// Loads the library once and initialises it. False, with the reason in
// *why, when it is not installed or is not the one built against.
bool load(QString *why);

}  // namespace home::mq

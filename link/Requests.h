#pragma once

#include "link/Protocol.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

struct Request {
    QByteArray frame;
    uint8_t type;
    uint8_t answerLength; // bytes the meter's answer must have before it is examined
    int16_t records;      // records asked for (type 1 only), after capping
};

// The request frame of a type that has a row in ExchangeKinds, with its answer length; no
// request for any other type. Start and count matter only to type 1 and are capped to the
// addressable records (a negative value counts as 0); param matters only to type 4.
std::optional<Request> buildRequest(uint8_t command, uint8_t type, int16_t start, int16_t count,
                                    uint8_t param);

#pragma once
// The whole core in one object: store, link, parser, encoders and synchronisations,
// wired together. The application and the command-line tool each own one.

#include "device/Encoders.h"
#include "device/InboundParser.h"
#include "device/Synchronizer.h"
#include "device/UsbLink.h"
#include "model/ParameterStore.h"

namespace kv {

struct DeviceContext {
    explicit DeviceContext(TransportOpener opener, LinkTimings lt = {}, SyncTimings st = {}, EncoderTimings et = {});
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    ParameterStore store;
    UsbLink link;
    InboundParser parser;
    Encoders encoders;
    Synchronizer sync;
};

}  // namespace kv

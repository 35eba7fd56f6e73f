#include "device/DeviceContext.h"

namespace kv {

DeviceContext::DeviceContext(TransportOpener opener, LinkTimings lt, SyncTimings st, EncoderTimings et)
    : link(store, std::move(opener), lt), parser(store), encoders(store, link, et), sync(store, link, encoders, st) {
    link.SetDispatcher([this](const Report& r) { parser.Dispatch(r); });
}

DeviceContext::~DeviceContext() {
    // The read thread dispatches into the parser: stop it before the members go.
    sync.Wait();
    link.Close(false);
}

}  // namespace kv

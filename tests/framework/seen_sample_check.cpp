#include "tests/framework/seen_sample_check.h"

namespace {

testing::AssertionResult Differs(const char* what, bool seen, bool sent) {
    return testing::AssertionFailure() << what << (seen ? " seen" : " not seen") << ", sent "
                                       << (sent ? "set" : "unset");
}

}  // namespace

testing::AssertionResult SeenAsSent(const SeenSample& seen, const OutgoingSample& outgoing) {
    if (seen.data.size() != static_cast<size_t>(outgoing.length)) {
        return testing::AssertionFailure() << seen.data.size() << " bytes seen, " << outgoing.length << " sent";
    }
    for (size_t i = 0; i < seen.data.size(); ++i) {
        if (seen.data[i] != static_cast<BYTE>(outgoing.fill + i)) {
            return testing::AssertionFailure() << "byte " << i << " is " << static_cast<int>(seen.data[i]);
        }
    }
    if (outgoing.timed) {
        if (seen.timeResult != S_OK || seen.start != outgoing.start || seen.stop != outgoing.stop) {
            return testing::AssertionFailure() << "times " << seen.start << ".." << seen.stop << " (0x" << std::hex
                                               << seen.timeResult << std::dec << "), sent " << outgoing.start << ".."
                                               << outgoing.stop;
        }
    } else if (!FAILED(seen.timeResult)) {
        return Differs("time", true, false);
    }
    if (outgoing.mediaTimed) {
        if (seen.mediaTimeResult != S_OK || seen.mediaStart != outgoing.mediaStart || seen.mediaStop != outgoing.mediaStop) {
            return testing::AssertionFailure() << "media times " << seen.mediaStart << ".." << seen.mediaStop
                                               << ", sent " << outgoing.mediaStart << ".." << outgoing.mediaStop;
        }
    } else if (!FAILED(seen.mediaTimeResult)) {
        return Differs("media time", true, false);
    }
    if (seen.sync != outgoing.sync) return Differs("sync point", seen.sync, outgoing.sync);
    if (seen.preroll != outgoing.preroll) return Differs("preroll", seen.preroll, outgoing.preroll);
    if (seen.discontinuity != outgoing.discontinuity) {
        return Differs("discontinuity", seen.discontinuity, outgoing.discontinuity);
    }
    if (seen.typed != (outgoing.type != nullptr)) return Differs("media type", seen.typed, outgoing.type != nullptr);
    if (outgoing.type != nullptr && seen.subtype != outgoing.type->subtype) {
        return testing::AssertionFailure() << "another subtype seen";
    }
    return testing::AssertionSuccess();
}

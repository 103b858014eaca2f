#include "tests/framework/seen_sample_check.h"

namespace {

testing::AssertionResult Differs(const char* what, bool seen, bool sent) {
    return testing::AssertionFailure() << what << (seen ? " seen" : " not seen") << ", sent "
                                       << (sent ? "set" : "unset");
}

}  // namespace

testing::AssertionResult SeenAsSent(const SeenSample& seen, const SampleSpec& spec) {
    if (seen.data.size() != static_cast<size_t>(spec.length)) {
        return testing::AssertionFailure() << seen.data.size() << " bytes seen, " << spec.length << " sent";
    }
    for (size_t i = 0; i < seen.data.size(); ++i) {
        if (seen.data[i] != static_cast<BYTE>(spec.fill + i)) {
            return testing::AssertionFailure() << "byte " << i << " is " << static_cast<int>(seen.data[i]);
        }
    }
    if (spec.timed) {
        if (seen.timeResult != S_OK || seen.start != spec.start || seen.stop != spec.stop) {
            return testing::AssertionFailure() << "times " << seen.start << ".." << seen.stop << " (0x" << std::hex
                                               << seen.timeResult << std::dec << "), sent " << spec.start << ".."
                                               << spec.stop;
        }
    } else if (!FAILED(seen.timeResult)) {
        return Differs("time", true, false);
    }
    if (spec.mediaTimed) {
        if (seen.mediaTimeResult != S_OK || seen.mediaStart != spec.mediaStart || seen.mediaStop != spec.mediaStop) {
            return testing::AssertionFailure() << "media times " << seen.mediaStart << ".." << seen.mediaStop
                                               << ", sent " << spec.mediaStart << ".." << spec.mediaStop;
        }
    } else if (!FAILED(seen.mediaTimeResult)) {
        return Differs("media time", true, false);
    }
    if (seen.sync != spec.sync) return Differs("sync point", seen.sync, spec.sync);
    if (seen.preroll != spec.preroll) return Differs("preroll", seen.preroll, spec.preroll);
    if (seen.discontinuity != spec.discontinuity) {
        return Differs("discontinuity", seen.discontinuity, spec.discontinuity);
    }
    if (seen.typed != (spec.type != nullptr)) return Differs("media type", seen.typed, spec.type != nullptr);
    if (spec.type != nullptr && seen.subtype != spec.type->subtype) {
        return testing::AssertionFailure() << "another subtype seen";
    }
    return testing::AssertionSuccess();
}

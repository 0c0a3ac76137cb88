#include "host_state.hpp"

#include <cstdlib>
#include <stdexcept>

namespace montemex::host {

HostState& state()
{
    static HostState instance;
    return instance;
}

void raiseError(const char* identifier, const char* message)
{
    HostState& s = state();
    if (s.inCall && s.errorJump != nullptr) {
        s.errorId = identifier;
        s.errorMessage = message;
        std::longjmp(*s.errorJump, 1);
    }
    throw std::runtime_error(message);
}

void logCall(const std::string& entry)
{
    HostState& s = state();
    if (s.inCall && s.logging) s.log.push_back(entry);
}

void recordMisuse(const std::string& what)
{
    HostState& s = state();
    if (s.inCall) s.stats.misuse.push_back(what);
}

bool isLive(const mxArray* array)
{
    return array != nullptr && state().arrays.count(array) != 0;
}

std::size_t arrayBytes(const mxArray* array)
{
    return array->real.size() + array->imag.size() + sizeof(mwIndex) * (array->ir.size() + array->jc.size());
}

bool countElements(const std::vector<mwSize>& dims, std::size_t& count)
{
    std::size_t limit = state().maxElements;
    count = 1;
    for (mwSize d : dims) {
        std::size_t length = d > 0 ? static_cast<std::size_t>(d) : 0;
        if (length == 0) {
            count = 0;
            return true;
        }
        if (count > limit / length) return false;
        count *= length;
    }
    return true;
}

void raiseOutOfMemory()
{
    raiseError("MATLAB:nomem", "Out of memory. The requested array is too large.");
}

std::size_t checkedElementCount(const std::vector<mwSize>& dims)
{
    std::size_t count = 0;
    if (!countElements(dims, count)) raiseOutOfMemory();
    return count;
}

mxArray* adopt(mxArray* array)
{
    HostState& s = state();
    if (s.inCall) {
        s.arrays[array] = Owner::Temporary;
        ++s.liveTemporaryArrays;
        s.liveBytes += arrayBytes(array);
        ++s.stats.arraysCreated;
        if (s.liveTemporaryArrays > s.stats.peakLiveArrays) s.stats.peakLiveArrays = s.liveTemporaryArrays;
        if (s.liveBytes > s.stats.peakLiveBytes) s.stats.peakLiveBytes = s.liveBytes;
    } else {
        s.arrays[array] = Owner::Caller;
    }
    return array;
}

// Frees an array and the arrays it contains; contained arrays are not in the registry.
void freeTree(mxArray* array)
{
    for (mxArray* child : array->cells) {
        if (child != nullptr) freeTree(child);
    }
    delete array;
}

void detach(mxArray* array)
{
    HostState& s = state();
    auto it = s.arrays.find(array);
    if (it == s.arrays.end()) return;
    if (it->second == Owner::Temporary) {
        --s.liveTemporaryArrays;
        s.liveBytes -= arrayBytes(array);
    }
    s.arrays.erase(it);
}

void destroy(mxArray* array)
{
    if (!isLive(array)) return;
    detach(array);
    freeTree(array);
}

void reclaimCallMemory()
{
    HostState& s = state();
    std::vector<mxArray*> leftovers;
    for (auto& entry : s.arrays) {
        if (entry.second == Owner::Temporary) leftovers.push_back(const_cast<mxArray*>(entry.first));
    }
    for (mxArray* array : leftovers) {
        destroy(array);
        ++s.stats.arraysReclaimed;
    }
    for (auto& block : s.blocks) {
        std::free(block.first);
        ++s.stats.blocksReclaimed;
    }
    s.blocks.clear();
    s.liveBytes = 0;
    s.liveTemporaryArrays = 0;
}

}  // namespace montemex::host

// The place watch: the area table's places handed to the companion, and its place signals.
#include <string>
#include <vector>

#include "area.h"
#include "monitor.h"
#include "quellmark.h"
#include "trace.h"
#include "verify.h"

namespace {

std::vector<AreaPlace> g_handed;

bool SamePlaces(const std::vector<AreaPlace> &a, const std::vector<AreaPlace> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].area != b[i].area || a[i].place.root != b[i].place.root ||
            a[i].place.path != b[i].place.path || a[i].place.subtree != b[i].place.subtree)
            return false;
    return true;
}

} // namespace

void HandOverPlaces()
{
    std::vector<AreaPlace> places = WatchedPlaces();
    // The companion arms its waits anew only when a place moved (a class or folder renamed).
    if (!g_handed.empty() && SamePlaces(places, g_handed))
        return;
    g_handed = std::move(places);
    std::vector<QuellmarkPlace> given;
    given.reserve(g_handed.size());
    for (const AreaPlace &place : g_handed)
        given.push_back({place.place.root, place.place.path.c_str(),
                         place.place.subtree ? TRUE : FALSE, static_cast<UINT>(place.area)});
    QuellmarkWatch(given.data(), static_cast<int>(given.size()));
    Trace("svmain", ("Watching places: " + std::to_string(given.size())).c_str());
}

void ForgetPlaces() { g_handed.clear(); }

bool OnPlaceSignal(WPARAM area, LPARAM unwatched)
{
    if (area >= static_cast<WPARAM>(AREA_COUNT))
        return false;
    if (unwatched != 0) {
        // The patrol still covers it.
        const size_t index = static_cast<size_t>(unwatched) - 1;
        std::string text = "Place not watched: ";
        if (index < g_handed.size())
            text += g_handed[index].place.path;
        Trace("svmain", text.c_str());
        return false;
    }
    return BringPlaceForward(static_cast<AreaId>(area));
}

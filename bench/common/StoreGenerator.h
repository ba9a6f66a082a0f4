#pragma once
// Generates a realistic store through the store's own API: one location with its children (each in
// two groups), staff records (some staff members at a second location too), and child and staff
// registrations spread over the last days up to "now" (the Clock). Deterministic for a given seed.
#include <QString>
#include <memory>

class Store;

struct StoreShape {
    int children = 5000;
    int staffRecords = 300;
    int registrations = 200000;
    int days = 60;
    int staffDaysWorked = 40; // staff registrations: an In and an Out on this many of the days
    unsigned seed = 20260311;
};

struct GeneratedStore {
    QString entityId;
    int children = 0;
    int memberships = 0;
    int staffRecords = 0;
    int registrations = 0;
    int staffRegistrations = 0;
    double seconds = 0; // time spent inserting and saving
    QString firstGroupId;
};

// Fills an empty store; the calling thread's context is used and left empty afterwards.
GeneratedStore generateStore(const std::shared_ptr<Store>& store, const StoreShape& shape = StoreShape());

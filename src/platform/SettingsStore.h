#pragma once

#include <QString>

#include <memory>

namespace quittora {

// Per-user settings: application "Quittora pro", section "Startup". Values are
// text, as the program has always stored them.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString value(const QString& key, const QString& defaultValue = {}) const = 0;
    virtual bool contains(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QString& value) = 0;
    virtual void remove(const QString& key) = 0;
};

// QSettings in the platform's per-user place (organisation and application
// "Quittora pro"), or in the given INI file (tests, portable use).
std::unique_ptr<SettingsStore> makeQtSettingsStore(const QString& iniFile = {});

} // namespace quittora

#pragma once

#include "platform/SettingsStore.h"

#include <QMap>

namespace quittora {

// Settings kept in memory; values() shows what the code stored.
class FakeSettingsStore final : public SettingsStore {
public:
    QString value(const QString& key, const QString& defaultValue = {}) const override
    {
        return m_values.value(key, defaultValue);
    }
    bool contains(const QString& key) const override { return m_values.contains(key); }
    void setValue(const QString& key, const QString& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }

    const QMap<QString, QString>& values() const { return m_values; }

private:
    QMap<QString, QString> m_values;
};

} // namespace quittora

#include "app/main/showform.h"

namespace vro::app {
namespace {

std::vector<TShowForm>& Registry()
{
    static std::vector<TShowForm> forms;
    return forms;
}

} // namespace

void RegisterShowForm(TShowForm form) { Registry().push_back(std::move(form)); }

const std::vector<TShowForm>& ShowForms()
{
    static const bool registered = [] {
        RegisterLiveShowForms();
        return true;
    }();
    (void)registered;
    return Registry();
}

const TShowForm* FindShowForm(const QString& name)
{
    for (const TShowForm& f : ShowForms())
        if (f.name == name)
            return &f;
    return nullptr;
}

QStringList ShowFormOptions() { return {QStringLiteral("--online")}; }

} // namespace vro::app

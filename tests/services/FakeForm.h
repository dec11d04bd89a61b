// Windows and controls for service tests: plain objects that record what the services did.
#pragma once

#include "services/FormRegistry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testforms {

struct FakeItem {
    std::string key;
    bool visible = true;
    bool enabled = true;
};

struct FakeControlState {
    std::string name;
    std::string type = "CommandButton";
    std::string index;
    bool enabled = true;
    std::map<std::string, std::string> props; // Caption, Text, Tag, ...
    std::vector<FakeItem> items;
    bool refuses = false; // throws on every change, like a control that goes away
};

class FakeControl : public FormControl {
public:
    explicit FakeControl(FakeControlState& s) : s_(s) {}
    std::string name() const override { return s_.name; }
    std::string typeName() const override { return s_.type; }
    std::string index() const override { return s_.index; }
    bool isEnabled() const override { return s_.enabled; }
    void setEnabled(bool e) override
    {
        if (s_.refuses)
            throw std::runtime_error("refused");
        s_.enabled = e;
    }
    bool property(const std::string& n, std::string& v) const override
    {
        auto it = s_.props.find(n);
        if (it == s_.props.end())
            return false;
        v = it->second;
        return true;
    }
    bool setProperty(const std::string& n, const std::string& v) override
    {
        s_.props[n] = v;
        return true;
    }
    size_t itemCount() const override { return s_.items.size(); }
    std::string itemKey(size_t i) const override { return s_.items[i].key; }
    bool itemVisible(size_t i) const override { return s_.items[i].visible; }
    bool itemEnabled(size_t i) const override { return s_.items[i].enabled; }
    void setItemEnabled(size_t i, bool e) override { s_.items[i].enabled = e; }

private:
    FakeControlState& s_;
};

// A window that registers itself while it lives, like a loaded window.
class FakeForm : public LoadedForm {
public:
    explicit FakeForm(std::string name, bool registered = true) : name_(std::move(name)), registered_(registered)
    {
        if (registered_)
            FormRegistry::Register(this);
    }
    ~FakeForm() override { FormRegistry::Unregister(this); }

    FakeControlState& add(std::string name, std::string type = "CommandButton", std::string caption = "")
    {
        controls_.push_back(std::make_unique<FakeControlState>());
        FakeControlState& c = *controls_.back();
        c.name = std::move(name);
        c.type = std::move(type);
        if (!caption.empty())
            c.props["Caption"] = caption;
        return c;
    }

    std::string name() const override { return name_; }
    bool isVisible() const override { return visible; }
    bool isMinimized() const override { return minimized; }
    bool isTopMost() const override { return topMost; }
    void setTopMost(bool t) override
    {
        topMost = t;
        topMostCalls.push_back(t);
    }
    bool setStatusText(const std::string& t) override
    {
        status = t;
        return true;
    }
    std::vector<std::unique_ptr<FormControl>> controls() override
    {
        std::vector<std::unique_ptr<FormControl>> out;
        for (auto& c : controls_)
            out.push_back(std::make_unique<FakeControl>(*c));
        return out;
    }

    bool visible = true;
    bool minimized = false;
    bool topMost = false;
    std::vector<bool> topMostCalls;
    std::string status = "<untouched>";

private:
    std::string name_;
    bool registered_;
    std::vector<std::unique_ptr<FakeControlState>> controls_;
};

} // namespace testforms

#include "core/platform/atomic_file.hpp"
#include "core/platform/local_files.hpp"
#include "core/platform/secret_store.hpp"

#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace orvendel {
namespace {

constexpr const char* fileName = "credentials";
constexpr const char* header = "orvendel-credentials 1";
constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

// Every field is written as "x" + hex, so any byte (spaces, new lines) survives and "-" can mean absent.
std::string encodeField(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = "x";
    out.reserve(1 + bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

std::optional<std::string> decodeField(const std::string& field)
{
    if (field.empty() || field[0] != 'x' || field.size() % 2 != 1) {
        return std::nullopt;
    }
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    std::string out;
    out.reserve(field.size() / 2);
    for (std::size_t i = 1; i < field.size(); i += 2) {
        const int high = nibble(field[i]);
        const int low = nibble(field[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>((high << 4) | low);
    }
    return out;
}

struct Item {
    SecretKey key;
    std::string data;
};

bool sameKey(const SecretKey& a, const SecretKey& b)
{
    return a.service == b.service && a.accessGroup == b.accessGroup && a.account == b.account;
}

class FileSecretStore final : public SecretStore {
public:
    explicit FileSecretStore(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    Result<void> add(const SecretKey& key, const std::string& data) override
    {
        std::lock_guard lock(m_mutex);
        auto items = load();
        if (!items) {
            return items.error();
        }
        for (const auto& item : *items) {
            if (sameKey(item.key, key)) {
                return secret_error::make(secret_error::duplicateItem);
            }
        }
        items->push_back({key, data});
        return save(*items);
    }

    Result<void> update(const SecretKey& key, const std::string& data) override
    {
        std::lock_guard lock(m_mutex);
        auto items = load();
        if (!items) {
            return items.error();
        }
        for (auto& item : *items) {
            if (sameKey(item.key, key)) {
                item.data = data;
                return save(*items);
            }
        }
        return secret_error::make(secret_error::itemNotFound);
    }

    Result<std::string> find(const SecretKey& key) override
    {
        std::lock_guard lock(m_mutex);
        auto items = load();
        if (!items) {
            return items.error();
        }
        for (auto& item : *items) {
            if (sameKey(item.key, key)) {
                return std::move(item.data);
            }
        }
        return secret_error::make(secret_error::itemNotFound);
    }

private:
    std::filesystem::path filePath() const { return m_folder / fileName; }

    // Creates the folder owner-only, and narrows it again if someone widened it. A link in its place makes
    // the store unavailable.
    Result<void> ensureFolder() const
    {
        if (auto folder = LocalFiles::ensureRealFolder(m_folder, folderMode); !folder) {
            return secret_error::make(secret_error::failure, folder.error().description);
        }
        return {};
    }

    // All items; an error when the file exists but cannot be used (a missing file is an empty store).
    Result<std::vector<Item>> load() const
    {
        if (auto folder = ensureFolder(); !folder) {
            return folder.error();
        }
        auto bytes = LocalFiles::readRegularFile(filePath(), LocalFiles::smallFileLimit, fileMode);
        if (!bytes) {
            switch (bytes.error().code) {
            case local_file_error::missing:
            // Nothing this store writes is that large: like content of no known form, it holds nothing
            // usable and the next change rewrites it.
            case local_file_error::tooLarge:
                return std::vector<Item>{};
            default:
                return secret_error::make(secret_error::failure, bytes.error().description);
            }
        }
        std::vector<Item> items;
        std::istringstream lines(*bytes);
        std::string line;
        std::getline(lines, line);
        if (line != header) {
            // Content of no known form holds nothing usable; the next change rewrites the file.
            return items;
        }
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string service, group, account, data;
            if (!(fields >> service >> group >> account >> data)) {
                continue;
            }
            const auto decodedService = decodeField(service);
            const auto decodedAccount = decodeField(account);
            const auto decodedData = decodeField(data);
            const auto decodedGroup = group == "-" ? std::optional<std::string>() : decodeField(group);
            if (!decodedService || !decodedAccount || !decodedData || (group != "-" && !decodedGroup)) {
                continue;
            }
            items.push_back({{*decodedService, decodedGroup, *decodedAccount}, *decodedData});
        }
        return items;
    }

    Result<void> save(const std::vector<Item>& items) const
    {
        std::string text = std::string(header) + "\n";
        for (const auto& item : items) {
            text += encodeField(item.key.service) + ' ' +
                    (item.key.accessGroup ? encodeField(*item.key.accessGroup) : std::string("-")) + ' ' +
                    encodeField(item.key.account) + ' ' + encodeField(item.data) + '\n';
        }
        if (auto written = AtomicFile::write(filePath(), text, fileMode); !written) {
            return secret_error::make(secret_error::failure, written.error().description);
        }
        return {};
    }

    std::filesystem::path m_folder;
    std::mutex m_mutex;
};

} // namespace

std::shared_ptr<SecretStore> makeFileSecretStore(std::filesystem::path folder)
{
    return std::make_shared<FileSecretStore>(std::move(folder));
}

} // namespace orvendel

#pragma once
#include <cstdint>

// Every key that either program keeps in the settings store, with its defaults, so that both
// programs address the same (application, section, key) triples.
namespace settings {

struct Key {
    const char* application;
    const char* section;
    const char* name;
};

// Brevix's connection to the statement server.
inline constexpr Key Host{"Brevix", "eStatements\\Settings", "Host"};
inline constexpr Key Directory{"Brevix", "eStatements\\Settings", "Directory"};
inline constexpr const char* kDefaultHost = "localhost";
inline constexpr const char* kDefaultDirectory = "1";
// How long a statement file must stand still before it is taken, in milliseconds.
inline constexpr Key SettleMs{"Brevix", "eStatements\\Settings", "SettleMs"};
inline constexpr int kDefaultSettleMs = 2000;
// How many days the delivery record on the share keeps each day's files.
inline constexpr Key HistoryDays{"Brevix", "eStatements\\Settings", "HistoryDays"};
inline constexpr int kDefaultHistoryDays = 730;
// Minutes a request may wait in the in folder before the mail sender counts as stopped; 0: never.
inline constexpr Key MailWaitMinutes{"Brevix", "eStatements\\Settings", "MailWaitMinutes"};
inline constexpr double kDefaultMailWaitMinutes = 30;
// Where the service writes the store's figures for the node exporter's text-file collector.
inline constexpr Key MetricsFolder{"Brevix", "eStatements\\Settings", "MetricsFolder"};
inline constexpr const char* kDefaultMetricsFolder = "/var/lib/prometheus/node-exporter";

// Document colours, 0x00BBGGRR as signed decimal text; -1 means "not set".
inline constexpr Key ForeGroundColor{"Mailvoy", "SendEmail\\Settings", "ForeGroundColor"};
inline constexpr Key BackGroundColor{"Mailvoy", "SendEmail\\Settings", "BackGroundColor"};
inline constexpr Key InvoiceShade{"Mailvoy", "SendEmail\\Settings", "InvoiceShade"};
inline constexpr Key ForeGroundColorSTMT{"Mailvoy", "SendEmail\\Settings", "ForeGroundColorSTMT"};
inline constexpr Key BackGroundColorSTMT{"Mailvoy", "SendEmail\\Settings", "BackGroundColorSTMT"};
inline constexpr Key StmtShade{"Mailvoy", "SendEmail\\Settings", "StmtShade"};

inline constexpr int32_t kNotSet = -1;

// The two programs default two statement colours differently.
namespace brevix_default {
inline constexpr int32_t ForeGroundColorSTMT = 0;
inline constexpr int32_t BackGroundColorSTMT = 15329791;  // 0xE9E9FF
inline constexpr int32_t StmtShade = -1;
}  // namespace brevix_default

namespace huevane_default {
inline constexpr int32_t ForeGroundColor = 0;
inline constexpr int32_t BackGroundColor = 16773328;  // 0xFFF0D0
inline constexpr int32_t InvoiceShade = -1;
inline constexpr int32_t ForeGroundColorSTMT = 0;
inline constexpr int32_t BackGroundColorSTMT = 16777215;  // 0xFFFFFF
inline constexpr int32_t StmtShade = 15329791;            // 0xE9E9FF
}  // namespace huevane_default

// The attachment picker of Brevix.
inline constexpr Key DrivePath{"Statements", "Email", "DrivePath"};
inline constexpr Key DirPath{"Statements", "Email", "DirPath"};
inline constexpr Key FilePath{"Statements", "Email", "FilePath"};
inline constexpr Key FileName{"Statements", "Email", "FileName"};
inline constexpr const char* kDefaultDrivePath = "c:\\";

}  // namespace settings

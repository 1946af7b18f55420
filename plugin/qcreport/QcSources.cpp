#include "qcreport/QcSources.h"

namespace morvane::qcreport {

namespace {
constexpr const char* kContentListSql =
    "select contentid,name ContentName,SOURCEID,Weight from t_qc_checkcontent where objectid= "
    ":objid order by sourceid desc";
} // namespace

const std::string& CatchAllPrefix() {
    return "转换中发生错误："_host;
}

const std::string& RecordsNotLoadable() {
    return "传入的考评记录不是合法的XML格式"_host;
}

const std::string& RecordsWithout() {
    return "传入的考评记录不可用或记录数为0"_host;
}

void LoadInputRecords(zeph::dataset::TClientDataSet& records, std::string_view xml,
                      const std::string& notLoadable, const std::string& noRecords) {
    try {
        records.LoadFromXml(xml);
    } catch (const zeph::dataset::EDataSetError&) {
        throw EConversionFailed(notLoadable);
    }
    if (!noRecords.empty() && (!records.Active() || records.RecordCount() == 0)) {
        throw EConversionFailed(noRecords);
    }
}

void FetchItemList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& items,
                   const std::string& objectId, const std::string& contentId,
                   const std::string& key) {
    zeph::Variant result;
    bool called = client.StoreProcedure("ZEPHSC_P_QC_GETITEM",
                                        objectId + "~" + contentId + "~" + key, result);
    // The statement is element 2 of the result array; an answer without it gave no statement.
    if (!called || !result.IsArray() || result.LowBound() > 2 || result.HighBound() < 2) {
        throw EConversionFailed("获取查询考评项的SQL语句失败"_host);
    }
    std::string sql = result[2].AsText();
    zeph::Variant data;
    if (!client.OpenBySQL("ZEPHSC_SELFSQL", sql, "", data, 1, -1)) {
        throw EConversionFailed("查询考评项列表失败"_host);
    }
    items.LoadFromData(data);
    if (!items.Active() || items.RecordCount() == 0) {
        throw EConversionFailed("查询考评项列表失败或记录数为0"_host);
    }
}

bool FetchContentList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& contents,
                      const std::string& objectId, const std::string& serverFlag) {
    zeph::Variant data;
    if (!client.OpenBySQL(serverFlag, kContentListSql, objectId, data, 1, -1)) {
        return false;
    }
    contents.LoadFromData(data);
    return true;
}

} // namespace morvane::qcreport

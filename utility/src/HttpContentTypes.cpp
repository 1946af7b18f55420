// The content types served, by the extension that a file path ends with.

#include <tollund/CHttpServer.h>

#include <initializer_list>

void CHttpServer::CreateTypeMap() {
    struct Entry {
        const char* type;
        std::initializer_list<const char*> keys;
    };
    static const Entry entries[] = {
        {"application/msword", {".doc"}},
        {"application/octet-stream", {".bin", ".dll", ".exe"}},
        {"application/pdf", {".pdf"}},
        {"application/postscript", {".ai", ".eps", ".ps"}},
        {"application/vnd.fdf", {".fdf"}},
        {"application/x-gzip", {".gz"}},
        {"application/x-java-class", {".class"}},
        {"application/x-javascript", {".js"}},
        {"application/x-lzh", {".lzh"}},
        {"application/x-ms-shortcut", {".lnk"}},
        {"application/x-tar", {".tar"}},
        {"application/x-winhelp", {".hlp"}},
        {"application/x-x509-ca-cert", {".cert"}},
        {"application/zip", {".zip"}},
        {"application/x-compressed", {".cab", ".arj"}},
        {"audio/aiff", {".aif", ".aifc", ".aiff"}},
        {"audio/basic", {".au", ".snd"}},
        {"audio/midi", {".mid", ".rmi"}},
        {"audio/mpeg", {".mp3"}},
        {"audio/voxware", {".vox"}},
        {"audio/wav", {".wav"}},
        {"audio/x-pn-realaudio", {".ra", ".ram"}},
        {"image/bmp", {".bmp"}},
        {"image/gif", {".gif"}},
        {"image/jpeg", {".jpeg", ".jpg"}},
        {"image/tiff", {".tif", ".tiff"}},
        {"image/xbm", {".xbm"}},
        {"model/vrml", {".wrl"}},
        {"text/html", {".htm", ".html"}},
        {"text/plain", {".c", ".cpp", ".def", ".h", ".txt"}},
        {"text/richtext", {".rtx", ".rtf"}},
        {"text/x-java-source", {".java"}},
        {"text/css", {".css"}},
        {"video/mpeg", {".mpeg", ".mpg", ".mpe"}},
        {"video/msvideo", {".avi"}},
        {"video/quicktime", {".mov", ".qt"}},
        {"wwwserver/html-ssi", {".shtml"}},
        {"wwwserver/isapi",
         {".asa", ".asp", ".cfm", ".dbm", ".isa", ".plx", ".url", ".cgi", ".php", ".wcgi"}},
    };
    for (const Entry& entry : entries) {
        for (const char* key : entry.keys) {
            m_typeMap[key] = entry.type;
        }
    }
}

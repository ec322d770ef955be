#include "PrivateFile.h"

#include <QStringList>
#include <acl/libacl.h>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString modeText(const struct stat &st)
{
    return QStringLiteral("mode %1").arg(QString::number(st.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')));
}

QString userName(uid_t uid)
{
    const passwd *p = ::getpwuid(uid);
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(gid);
}

bool mayRead(acl_entry_t entry)
{
    acl_permset_t permissions = nullptr;
    return acl_get_permset(entry, &permissions) == 0 && acl_get_perm(permissions, ACL_READ) == 1;
}

template <typename Id>
Id qualifier(acl_entry_t entry)
{
    void *q = acl_get_qualifier(entry);
    const Id id = q ? *static_cast<Id *>(q) : Id(-1);
    acl_free(q);
    return id;
}

// The readers the extended ACL names besides the owner, this process's user and root.
QStringList aclReaders(acl_t acl, const struct stat &st)
{
    // The mask limits every entry but the owner's and others'.
    bool maskLetsRead = true;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &tag) == 0 && tag == ACL_MASK)
            maskLetsRead = mayRead(entry);
    }
    QStringList readers;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &tag) != 0 || !mayRead(entry))
            continue;
        if (tag == ACL_USER && maskLetsRead) {
            const uid_t uid = qualifier<uid_t>(entry);
            if (uid != 0 && uid != ::geteuid())
                readers << QStringLiteral("the user %1").arg(userName(uid));
        } else if (tag == ACL_GROUP_OBJ && maskLetsRead) {
            readers << QStringLiteral("its group %1").arg(groupName(st.st_gid));
        } else if (tag == ACL_GROUP && maskLetsRead) {
            readers << QStringLiteral("the group %1").arg(groupName(qualifier<gid_t>(entry)));
        } else if (tag == ACL_OTHER) {
            readers << QStringLiteral("others");
        }
    }
    return readers;
}

} // namespace

QString OtherReaders(int fd, const struct stat &st)
{
    struct Acl {
        acl_t acl;
        ~Acl() { acl_free(acl); }
    } const held{acl_get_fd(fd)};
    // Without an ACL of its own (or on a file system without ACLs) the mode bits say it all.
    if (!held.acl || acl_equiv_mode(held.acl, nullptr) == 0)
        return st.st_mode & (S_IRGRP | S_IROTH) ? modeText(st) : QString();
    const QStringList readers = aclReaders(held.acl, st);
    if (readers.isEmpty())
        return QString();
    return QStringLiteral("its ACL lets %1 read it").arg(readers.join(QStringLiteral(" and ")));
}

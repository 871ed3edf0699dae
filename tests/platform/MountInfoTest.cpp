#include "platform/MountInfo.h"
#include "platform/DriveClassifier.h"

#include <gtest/gtest.h>

#include <map>

using tw::platform::BlockDevice;
using tw::platform::classifyMagic;
using tw::platform::classifyMount;
using tw::platform::DriveType;
using tw::platform::findMount;
using tw::platform::MountEntry;
using tw::platform::overlayBackingFolder;
using tw::platform::parseMountInfo;
using tw::platform::parseMountInfoLine;
using tw::platform::unescapeMountField;

TEST(MountInfo, LineWithOptionalFieldsGivesTypeSourceAndDevice) {
    const auto entry = parseMountInfoLine("36 35 8:17 / /media/usb rw,nosuid shared:7 master:1 - "
                                          "vfat /dev/sdb1 rw,fmask=0022,codepage=437");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->major, 8u);
    EXPECT_EQ(entry->minor, 17u);
    EXPECT_EQ(entry->root, "/");
    EXPECT_EQ(entry->mountPoint, "/media/usb");
    EXPECT_EQ(entry->fsType, "vfat");
    EXPECT_EQ(entry->source, "/dev/sdb1");
    EXPECT_EQ(entry->superOptions, "rw,fmask=0022,codepage=437");

    const auto plain = parseMountInfoLine("26 1 254:0 / / rw,relatime - ext4 /dev/vda rw");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->mountPoint, "/");
    EXPECT_EQ(plain->fsType, "ext4");
}

TEST(MountInfo, EscapesInNamesAreResolved) {
    EXPECT_EQ(unescapeMountField("/media/me/My\\040Disk"), "/media/me/My Disk");
    EXPECT_EQ(unescapeMountField("a\\011b\\012c\\134d"), "a\tb\nc\\d");
    // Not an escape: too short, or not octal.
    EXPECT_EQ(unescapeMountField("x\\04"), "x\\04");
    EXPECT_EQ(unescapeMountField("x\\089"), "x\\089");

    const auto entry =
        parseMountInfoLine("90 26 8:33 / /media/me/Mix\\040Tapes\\0402024 rw - exfat /dev/sdc1 rw");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->mountPoint, "/media/me/Mix Tapes 2024");
}

TEST(MountInfo, MalformedLinesAreSkipped) {
    EXPECT_FALSE(parseMountInfoLine(""));
    EXPECT_FALSE(parseMountInfoLine("36 35 8:1 / /mnt rw shared:1 ext4 /dev/sda1 rw"));
    EXPECT_FALSE(parseMountInfoLine("36 35 8-1 / /mnt rw - ext4 /dev/sda1 rw"));
    EXPECT_FALSE(parseMountInfoLine("36 35 8:1 / /mnt rw -"));

    const auto entries = parseMountInfo("garbage\n"
                                        "26 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                        "\n"
                                        "27 26 0:40 / /mnt/ram rw - tmpfs tmpfs rw,size=2048k");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].mountPoint, "/mnt/ram");
}

TEST(MountInfo, PathBelongsToLongestWholeFolderMount) {
    const auto mounts = parseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                       "2 1 8:17 / /mnt/usb rw - vfat /dev/sdb1 rw\n"
                                       "3 1 0:50 / /mnt/usb/net rw - nfs4 srv:/x rw\n"
                                       "4 2 0:51 / /mnt/usb rw - tmpfs tmpfs rw\n");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(findMount(mounts, "/home/me")->fsType, "ext4");
    // "/mnt/usb" does not hold "/mnt/usb2".
    EXPECT_EQ(findMount(mounts, "/mnt/usb2/a.mp3")->fsType, "ext4");
    EXPECT_EQ(findMount(mounts, "/mnt/usb/net/a.mp3")->fsType, "nfs4");
    // A later mount on the same folder covers the earlier one...
    EXPECT_EQ(findMount(mounts, "/mnt/usb")->fsType, "tmpfs");
    // ...unless the path's own device says otherwise.
    EXPECT_EQ(findMount(mounts, "/mnt/usb/a.mp3", std::make_pair(8u, 17u))->fsType, "vfat");
    EXPECT_EQ(findMount(mounts, "relative/path"), nullptr);
}

TEST(MountInfo, SampleMountsAreClassifiedLikeTheirDrives) {
    const std::map<std::string, BlockDevice> devices = {
        {"/dev/sda1", {true, "sda1", "sda", false}},     {"/dev/sdb1", {true, "sdb1", "sdb", true}},
        {"/dev/sdc", {true, "sdc", "sdc", true}},        {"/dev/sr0", {true, "sr0", "sr0", true}},
        {"/dev/loop0", {true, "loop0", "loop0", false}},
    };
    const auto typeOf = [&](const std::string& line) {
        const auto entry = parseMountInfoLine(line);
        if (!entry)
            return DriveType::NoRootDir;
        const auto device = devices.find(entry->source);
        return classifyMount(entry->fsType,
                             device == devices.end() ? BlockDevice{} : device->second);
    };

    EXPECT_EQ(typeOf("1 0 0:60 / /net rw - nfs srv:/music rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 0:61 / /net rw - nfs4 srv:/music rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 0:62 / /win rw - cifs //pc/share rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 0:62 / /win rw - smb3 //pc/share rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 0:63 / /ssh rw - fuse.sshfs me@host:/ rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 0:64 / /vm rw - 9p hostshare rw"), DriveType::Remote);
    EXPECT_EQ(typeOf("1 0 11:0 / /cd ro - iso9660 /dev/sr0 ro"), DriveType::CdRom);
    EXPECT_EQ(typeOf("1 0 11:0 / /dvd ro - udf /dev/sr0 ro"), DriveType::CdRom);
    // An image file mounted through a loop device, or udf on a stick, is no optical drive.
    EXPECT_EQ(typeOf("1 0 7:0 / /iso ro - iso9660 /dev/loop0 ro"), DriveType::Fixed);
    EXPECT_EQ(typeOf("1 0 8:32 / /stick rw - udf /dev/sdc rw"), DriveType::Removable);
    EXPECT_EQ(typeOf("1 0 8:1 / / rw - ext4 /dev/sda1 rw"), DriveType::Fixed);
    EXPECT_EQ(typeOf("1 0 8:17 / /usb rw - vfat /dev/sdb1 rw"), DriveType::Removable);
    EXPECT_EQ(typeOf("1 0 0:70 / /usb rw - fuseblk /dev/sdb1 rw"), DriveType::Removable);
    EXPECT_EQ(typeOf("1 0 0:40 / /tmp rw - tmpfs tmpfs rw"), DriveType::RamDisk);
    EXPECT_EQ(typeOf("1 0 0:41 / /r rw - ramfs ramfs rw"), DriveType::RamDisk);
    EXPECT_EQ(typeOf("1 0 0:20 / /proc rw - proc proc rw"), DriveType::Unknown);
    EXPECT_EQ(typeOf("1 0 0:71 / /gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw"), DriveType::Unknown);
}

TEST(MountInfo, OverlayFollowsTheFolderItWritesTo) {
    EXPECT_EQ(overlayBackingFolder("rw,lowerdir=/l1:/l2,upperdir=/var/up,workdir=/var/work"),
              "/var/up");
    EXPECT_EQ(overlayBackingFolder("ro,lowerdir=/a\\:b:/c"), "/a:b");
    EXPECT_EQ(overlayBackingFolder("rw,upperdir=/my\\040music,workdir=/w"), "/my music");
    EXPECT_EQ(overlayBackingFolder("rw,xino=off"), "");

    EXPECT_EQ(classifyMount("overlay", {}, DriveType::Fixed), DriveType::Fixed);
    EXPECT_EQ(classifyMount("overlay", {}, DriveType::RamDisk), DriveType::RamDisk);
    // An overlay whose folder cannot be seen (a container's root) is still local.
    EXPECT_EQ(classifyMount("overlay", {}), DriveType::Fixed);
}

TEST(MountInfo, MagicNumbersAloneGiveAType) {
    EXPECT_EQ(classifyMagic(0x01021994), DriveType::RamDisk);
    EXPECT_EQ(classifyMagic(0x6969), DriveType::Remote);
    EXPECT_EQ(classifyMagic(0xEF53), DriveType::Fixed);
    EXPECT_EQ(classifyMagic(0x9fa0), DriveType::Unknown); // proc
}

# Setup and uninstall logic: archives made by our writer, read back and
# installed into temporary folders.
qb_add_test(test_installer unit/ArchiveReaderTest.cpp unit/InstallerTest.cpp
            LIBS qb_installer qb_zip qb_testsupport)

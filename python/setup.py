"""Builds the zabrelo package. Its extension compiles the library's core from
the checkout this folder sits in (../src, ../include), and the table it
bundles is copied from ../data at build time. From the project root:

    python3 -m pip install --no-build-isolation ./python
"""
import glob
import os
import re
import sys

from setuptools import Extension, setup
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
TABLE = os.path.join(ROOT, "data", "UrduCOdepage.txt")
EXPORTS = os.path.join(HERE, "src", "exports.map")


def require_checkout():
    needed = [os.path.join(ROOT, "CMakeLists.txt"), os.path.join(ROOT, "include", "zabrelo"), TABLE,
              os.path.join(ROOT, "src", "collation", "CollationKeys.h")]
    missing = [path for path in needed if not os.path.exists(path)]
    if missing:
        sys.exit(
            "zabrelo: the Python package is built from the project's checkout, where python/ "
            "sits beside src/, include/ and data/; missing: " + ", ".join(missing) + "\n"
            "Run `python3 -m pip install --no-build-isolation ./python` from the project root."
        )


def library_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as cmake:
        found = re.search(r"project\(\s*Zabrelo\s+VERSION\s+([0-9][0-9.]*)", cmake.read())
    if not found:
        sys.exit("zabrelo: CMakeLists.txt names no project version")
    return found.group(1)


def core_sources():
    # Every folder of the core, so that files and folders added to it need no
    # change here; the Windows load-time entry belongs to the shared library alone.
    sources = sorted(glob.glob(os.path.join(ROOT, "src", "*", "*.cpp")))
    return [path for path in sources if os.path.basename(path) != "DllMain.cpp"]


def headers():
    # setuptools rebuilds the extension only when one of these or a source
    # is newer than it: a changed header must count too.
    found = glob.glob(os.path.join(ROOT, "include", "zabrelo", "*.h")) + glob.glob(os.path.join(HERE, "src", "*.h"))
    return sorted(found + glob.glob(os.path.join(ROOT, "src", "*", "*.h")))


class BuildPy(build_py):
    """Puts the bundled table into the package beside its modules."""

    def run(self):
        super().run()
        self.copy_file(TABLE, os.path.join(self.build_lib, "zabrelo", os.path.basename(TABLE)))


require_checkout()
VERSION = library_version()

compile_args = ["-std=c++17", "-O3", "-fvisibility=hidden", "-fvisibility-inlines-hidden", "-pthread",
                "-Wall", "-Wextra", "-Wpedantic", "-Wconversion", "-Wshadow", "-ffile-prefix-map=" + ROOT + "/="]
link_args = ["-pthread"]
libraries = []
if sys.platform.startswith("linux"):
    libraries.append("dl")  # the core's dladdr, outside libc before glibc 2.34
    # Only the module's entry point leaves it, not the C++ runtime's template instances.
    link_args.append("-Wl,--version-script=" + EXPORTS)

extension = Extension(
    "zabrelo._zabrelo",
    sources=sorted(glob.glob(os.path.join("src", "*.cpp"))) + core_sources(),
    include_dirs=[os.path.join(ROOT, "include"), os.path.join(ROOT, "src"), os.path.join(HERE, "src")],
    define_macros=[("ZABRELO_STATIC", None), ("ZABRELO_VERSION", '"%s"' % VERSION)],
    extra_compile_args=compile_args,
    extra_link_args=link_args,
    libraries=libraries,
    depends=[EXPORTS] + headers(),
    language="c++",
)

setup(
    name="zabrelo",
    version=VERSION,
    description="Urdu text in dictionary order: sort keys, comparison and sorting",
    python_requires=">=3.9",
    packages=["zabrelo"],
    package_data={"zabrelo": ["py.typed", "*.pyi"]},
    ext_modules=[extension],
    cmdclass={"build_py": BuildPy},
    options={"build_ext": {"parallel": os.cpu_count() or 1}},
    zip_safe=False,
)

"""Builds the zabrelo package: its extension compiles the library's core
with the sources and settings src/core.list gives, and bundles the default
table. In the project's checkout the core is the folder above this one; an
sdist carries a copy of what it needs in core/, so it builds anywhere:

    python3 -m build --sdist --no-isolation       # in python/: dist/zabrelo-*.tar.gz
    python3 -m pip install --no-build-isolation dist/zabrelo-*.tar.gz
    python3 -m pip install --no-build-isolation ./python   # from the checkout
"""
import glob
import os
import re
import shutil
import sys

from setuptools import Extension, setup
from setuptools.command.build_py import build_py
from setuptools.command.sdist import sdist

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE_NAME = "UrduCOdepage.txt"
EXPORTS = os.path.join("src", "exports.map")


def core_root():
    """The folder holding the core's src/, include/ and data/: the sdist's
    copy, else the checkout around this folder."""
    for root in (os.path.join(HERE, "core"), os.path.dirname(HERE)):
        if os.path.exists(os.path.join(root, "src", "core.list")):
            return root
    sys.exit("zabrelo: the library's core is missing: build from the project's checkout "
             "(python3 -m pip install --no-build-isolation ./python) or from its sdist")


CORE = core_root()


def core_list():
    """The entries of src/core.list, by kind."""
    entries = {}
    with open(os.path.join(CORE, "src", "core.list"), encoding="utf-8") as listing:
        for line in listing:
            found = re.match(r"([a-z]+): (.*)$", line.rstrip("\n"))
            if found:
                entries.setdefault(found.group(1), []).append(found.group(2))
    return entries


def library_version():
    with open(os.path.join(CORE, "include", "zabrelo", "zabrelo.h"), encoding="utf-8") as header:
        found = re.search(r'^#define ZABRELO_VERSION_STRING "([0-9.]+)"$', header.read(), re.M)
    if not found:
        sys.exit("zabrelo: include/zabrelo/zabrelo.h states no version")
    return found.group(1)


class BuildPy(build_py):
    """Puts the bundled table into the package beside its modules."""

    def run(self):
        super().run()
        self.copy_file(os.path.join(CORE, "data", TABLE_NAME), os.path.join(self.build_lib, "zabrelo", TABLE_NAME))


class Sdist(sdist):
    """Adds the core to the sdist, in core/: the list, the sources and
    headers of src/, the public headers, the table and the license."""

    def make_release_tree(self, base_dir, files):
        super().make_release_tree(base_dir, files)
        wanted = [os.path.join("src", "core.list"), os.path.join("data", TABLE_NAME)]
        wanted += [relative_to_core(path) for path in glob.glob(os.path.join(CORE, "src", "*", "*.[ch]*"))]
        wanted += [relative_to_core(path) for path in glob.glob(os.path.join(CORE, "include", "zabrelo", "*.h"))]
        if os.path.exists(os.path.join(CORE, "LICENSE")):
            wanted.append("LICENSE")
        for name in sorted(wanted):
            target = os.path.join(base_dir, "core", name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(os.path.join(CORE, name), target)


def relative_to_core(path):
    return os.path.relpath(path, CORE)


CORE_LIST = core_list()
VERSION = library_version()

compile_args = ["-std=c++" + CORE_LIST["standard"][0]] + CORE_LIST.get("flag", []) + CORE_LIST.get("optimize", [])
compile_args += ["-pthread", "-Wall", "-Wextra", "-Wpedantic", "-Wconversion", "-Wshadow",
                 "-ffile-prefix-map=" + CORE + "/="]
link_args = ["-pthread"]
libraries = []
if sys.platform.startswith("linux"):
    libraries.append("dl")  # the core's dladdr, outside libc before glibc 2.34
    # Only the module's entry point leaves it: not the core's C interface,
    # nor the C++ runtime's template instances.
    link_args.append("-Wl,--version-script=" + os.path.join(HERE, EXPORTS))

extension = Extension(
    "zabrelo._zabrelo",
    sources=sorted(glob.glob(os.path.join("src", "*.cpp")))
    + [os.path.join(CORE, source) for source in CORE_LIST["source"]],
    include_dirs=[os.path.join(CORE, "include"), os.path.join(CORE, "src"), os.path.join(HERE, "src")],
    define_macros=[(name, None) for name in CORE_LIST.get("define", [])] + [("ZABRELO_VERSION", '"%s"' % VERSION)],
    extra_compile_args=compile_args,
    extra_link_args=link_args,
    libraries=libraries,
    # setuptools rebuilds the extension only when one of these or a source
    # is newer than it: a changed header must count too.
    depends=[EXPORTS] + sorted(glob.glob(os.path.join(CORE, "include", "zabrelo", "*.h"))
                               + glob.glob(os.path.join(CORE, "src", "*", "*.h"))
                               + glob.glob(os.path.join("src", "*.h"))),
    language="c++",
)

# The name, description, license and Python versions are in pyproject.toml.
setup(
    version=VERSION,
    packages=["zabrelo"],
    package_data={"zabrelo": ["py.typed", "*.pyi"]},
    ext_modules=[extension],
    cmdclass={"build_py": BuildPy, "sdist": Sdist},
    options={"build_ext": {"parallel": os.cpu_count() or 1}},
    zip_safe=False,
)

"""The build backend pip calls for this package: setuptools' own, with one
gap filled. pip installs a package only from a wheel, and setuptools before
70.1 builds wheels only with the separate `wheel` package, which many
interpreters lack (a fresh pyenv or venv interpreter among them) and which
an offline `pip install --no-build-isolation` cannot fetch. Without it, the
package is built with setuptools (`setup.py build`) and the built files are
packed as a wheel here: a zip of them plus the dist-info that a wheel holds
(METADATA, WHEEL, top_level.txt, RECORD).
"""
import base64
import hashlib
import os
import subprocess
import sys
import sysconfig
import tempfile
import zipfile

from setuptools import build_meta as _setuptools

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

build_sdist = _setuptools.build_sdist
get_requires_for_build_sdist = _setuptools.get_requires_for_build_sdist


def _setuptools_builds_wheels():
    for module in ("setuptools.command.bdist_wheel", "wheel.bdist_wheel"):
        try:
            __import__(module)
            return True
        except ImportError:
            pass
    return False


def _setup_py(*arguments, capture=False):
    done = subprocess.run([sys.executable, "setup.py", *arguments], cwd=HERE, check=True,
                          stdout=subprocess.PIPE if capture else None, universal_newlines=True)
    return done.stdout


def _tag():
    # What the running CPython loads: its own version and ABI, this platform.
    version = "cp%d%d" % sys.version_info[:2]
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return "%s-%s%s-%s" % (version, version, sys.abiflags, platform)


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode("ascii")
    return "%s,sha256=%s,%d\n" % (name, digest, len(data))


def _pack_wheel(wheel_directory):
    with tempfile.TemporaryDirectory() as work:
        lib = os.path.join(work, "lib")
        _setup_py("build", "--build-lib", lib, "--build-temp", os.path.join(work, "temp"))
        name, version = _setup_py("--name", "--version", capture=True).split()[-2:]
        dist_info = "%s-%s.dist-info" % (name, version)
        tag = _tag()
        wheel_name = "%s-%s-%s.whl" % (name, version, tag)
        files = []
        for folder, _, names in sorted(os.walk(lib)):
            for file_name in sorted(names):
                path = os.path.join(folder, file_name)
                with open(path, "rb") as f:
                    files.append((os.path.relpath(path, lib).replace(os.sep, "/"), f.read()))
        metadata = ("Metadata-Version: 2.1\nName: %s\nVersion: %s\nRequires-Python: >=3.9\n" % (name, version))
        wheel = "Wheel-Version: 1.0\nGenerator: zabrelo_backend\nRoot-Is-Purelib: false\nTag: %s\n" % tag
        for file_name, text in (("METADATA", metadata), ("WHEEL", wheel), ("top_level.txt", name + "\n")):
            files.append((dist_info + "/" + file_name, text.encode("utf-8")))
        record = "".join(_record_line(n, data) for n, data in files) + dist_info + "/RECORD,,\n"
        files.append((dist_info + "/RECORD", record.encode("utf-8")))
        with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w", zipfile.ZIP_DEFLATED) as archive:
            for file_name, data in files:
                archive.writestr(file_name, data)
        return wheel_name


if _setuptools_builds_wheels():
    get_requires_for_build_wheel = _setuptools.get_requires_for_build_wheel
    prepare_metadata_for_build_wheel = _setuptools.prepare_metadata_for_build_wheel
    build_wheel = _setuptools.build_wheel
else:

    def get_requires_for_build_wheel(config_settings=None):
        return []

    def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
        return _pack_wheel(wheel_directory)

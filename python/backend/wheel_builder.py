"""The build backend of the pexora package, with the standard library alone.

pip calls these hooks (PEP 517, and PEP 660 for editable installs) in a
fresh environment into which it installs the build requirements; pexora has
none, so `pip install ./python` works offline. The package is pure Python:
the wheel holds src/pexora as it is, with the metadata of pyproject.toml and
the version of pexora.__version__.
"""

from __future__ import annotations

import ast
import base64
import hashlib
import io
import tarfile
import tomllib
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PACKAGE = "pexora"
SOURCES = ROOT / "src"
# Fixed times make the archives the same on every build.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)


def _version() -> str:
    tree = ast.parse((SOURCES / PACKAGE / "__init__.py").read_text(encoding="utf-8"))
    for node in tree.body:
        if isinstance(node, ast.Assign) and any(getattr(t, "id", None) == "__version__" for t in node.targets):
            return ast.literal_eval(node.value)
    raise RuntimeError(f"{PACKAGE}/__init__.py sets no __version__")


def _metadata() -> str:
    project = tomllib.loads((ROOT / "pyproject.toml").read_text(encoding="utf-8"))["project"]
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {_version()}",
        f"Summary: {project['description']}",
        f"Requires-Python: {project['requires-python']}",
    ]
    lines += [f"Requires-Dist: {requirement}" for requirement in project.get("dependencies", [])]
    for extra, requirements in project.get("optional-dependencies", {}).items():
        lines.append(f"Provides-Extra: {extra}")
        lines += [f'Requires-Dist: {requirement}; extra == "{extra}"' for requirement in requirements]
    return "\n".join(lines) + "\n"


def _package_files() -> list[Path]:
    return sorted(
        path
        for path in (SOURCES / PACKAGE).rglob("*")
        if path.is_file() and "__pycache__" not in path.parts and path.suffix in (".py", ".typed")
    )


def _dist_name() -> str:
    return f"{PACKAGE}-{_version()}"


def _write_wheel(directory: str, contents: list[tuple[str, bytes]]) -> str:
    """A wheel of ``contents`` (name in the archive, bytes) and its metadata."""
    dist_info = f"{_dist_name()}.dist-info"
    wheel = "Wheel-Version: 1.0\nGenerator: pexora wheel_builder\nRoot-Is-Purelib: true\nTag: py3-none-any\n"
    contents = contents + [
        (f"{dist_info}/METADATA", _metadata().encode()),
        (f"{dist_info}/WHEEL", wheel.encode()),
    ]
    record = io.StringIO()
    for name, data in contents:
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        record.write(f"{name},sha256={digest},{len(data)}\n")
    record.write(f"{dist_info}/RECORD,,\n")
    contents.append((f"{dist_info}/RECORD", record.getvalue().encode()))
    filename = f"{_dist_name()}-py3-none-any.whl"
    with zipfile.ZipFile(Path(directory) / filename, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in contents:
            info = zipfile.ZipInfo(name, ZIP_TIME)
            info.external_attr = 0o644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)
    return filename


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    files = [(path.relative_to(SOURCES).as_posix(), path.read_bytes()) for path in _package_files()]
    return _write_wheel(wheel_directory, files)


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    # A path file that puts this source folder on sys.path.
    return _write_wheel(wheel_directory, [(f"{PACKAGE}.pth", f"{SOURCES}\n".encode())])


def build_sdist(sdist_directory, config_settings=None):
    filename = f"{_dist_name()}.tar.gz"
    members = [ROOT / "pyproject.toml", Path(__file__).resolve(), *_package_files()]
    with tarfile.open(Path(sdist_directory) / filename, "w:gz", format=tarfile.PAX_FORMAT) as archive:
        for path in members:
            archive.add(path, f"{_dist_name()}/{path.relative_to(ROOT).as_posix()}", recursive=False)
        info = tarfile.TarInfo(f"{_dist_name()}/PKG-INFO")
        data = _metadata().encode()
        info.size = len(data)
        info.mode = 0o644
        archive.addfile(info, io.BytesIO(data))
    return filename
